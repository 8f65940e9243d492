// The real-time data panel: tachometer, bar gauges, status text and the Close button.
#pragma once

#include "engine/EngineReads.h"
#include "engine/RealTimeView.h"
#include "widgets/gauges/BarGaugeWidget.h"
#include "widgets/gauges/DialGaugeWidget.h"

#include <QFrame>
#include <array>

class QLabel;
class QPushButton;

namespace quillmark {

class RealTimePanelWidget final : public QFrame, public RealTimeView {
    Q_OBJECT

public:
    // The bar gauges in the order of their placement table.
    enum BarGaugeIndex { kTps, kInj1, kFuelMult1, kInj2, kFuelMult2, kRetard, kBattery, kBarCount };

    explicit RealTimePanelWidget(QWidget* parent = nullptr);

    void setPanelVisible(bool visible) override;
    void setStatusText(const QString& text) override;
    BarGauge& gauTPS() override { return *bars_[kTps]; }
    BarGauge& gauFuelMult1() override { return *bars_[kFuelMult1]; }
    BarGauge& gauFuelMult2() override { return *bars_[kFuelMult2]; }
    BarGauge& gauBatVolts() override { return *bars_[kBattery]; }
    BarGauge& gauInj1PW() override { return *bars_[kInj1]; }
    BarGauge& gauInj2PW() override { return *bars_[kInj2]; }
    BarGauge& gauRetard() override { return *bars_[kRetard]; }
    DialGauge& gauTach() override { return *tach_; }

    // Shows the quantity's gauge in alarm with the value as its caption (the tachometer's
    // read-out shows its value already); an empty text shows the gauge as usual.
    void setGaugeAlarm(Quantity quantity, const QString& valueText);

    // The caption drawn at the panel's top left; empty restores the usual one.
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

    // The design size, for a container that wants to know it.
    QSize sizeHint() const override;

signals:
    void closeClicked();
    // The panel was closed: by the user, on a lost link or at the end of a playback.
    void panelClosed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layOutChildren();

    QPushButton* close_ = nullptr;
    DialGaugeWidget* tach_ = nullptr;
    std::array<BarGaugeWidget*, kBarCount> bars_{};
    std::array<QLabel*, 4> labels_{};
    QLabel* status_ = nullptr;
    QString caption_;
};

}  // namespace quillmark
