// The real-time data panel: tachometer, bar gauges, status text and the Close button.
#pragma once

#include "realtime/RealTimeView.h"
#include "realtime/gauges/BarGaugeWidget.h"
#include "realtime/gauges/DialGaugeWidget.h"

#include <QFrame>
#include <array>

class QLabel;
class QPushButton;

namespace quillmark {

class RealTimePanelWidget final : public QFrame, public RealTimeView {
    Q_OBJECT

public:
    explicit RealTimePanelWidget(QWidget* parent = nullptr);

    void setPanelVisible(bool visible) override;
    void setStatusText(const QString& text) override;
    BarGauge& gauTPS() override;
    BarGauge& gauFuelMult1() override;
    BarGauge& gauFuelMult2() override;
    BarGauge& gauBatVolts() override;
    BarGauge& gauInj1PW() override;
    BarGauge& gauInj2PW() override;
    BarGauge& gauRetard() override;
    DialGauge& gauTach() override;

    // The design size, for a container that wants to know it.
    QSize sizeHint() const override;

signals:
    void closeClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum BarGaugeIndex { kTps, kInj1, kFuelMult1, kInj2, kFuelMult2, kRetard, kBattery, kBarCount };

    void layOutChildren();

    QPushButton* close_ = nullptr;
    DialGaugeWidget* tach_ = nullptr;
    std::array<BarGaugeWidget*, kBarCount> bars_{};
    std::array<QLabel*, 4> labels_{};
    QLabel* status_ = nullptr;
};

}  // namespace quillmark
