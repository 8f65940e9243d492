// The time-at-cell grid painted as a heat map: a row caption per 500 rpm, a column caption per
// 10 % of throttle, each cell's time and mean, shaded by its time. A click chooses a cell; a
// second click on it lets it go.
#pragma once

#include "analysis/TimeAtCellGrid.h"

#include <QWidget>

#include <optional>

namespace quillmark {

class TimeAtCellWidget final : public QWidget {
    Q_OBJECT
public:
    explicit TimeAtCellWidget(QWidget* parent = nullptr);

    void showGrid(const TimeAtCellGrid& grid);
    const TimeAtCellGrid& grid() const { return grid_; }
    std::optional<CellPlace> chosen() const { return chosen_; }
    void choose(std::optional<CellPlace> place);
    // Where a cell is drawn, for clicks and the tests that make them.
    QRectF cellRect(const CellPlace& place) const;

signals:
    void chosenChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF gridArea() const;
    int shownRows() const;

    TimeAtCellGrid grid_;
    std::optional<CellPlace> chosen_;
};

// "12.3 s" under a minute, then "m:ss" and "h:mm:ss".
QString cellTimeText(double seconds);

}  // namespace quillmark
