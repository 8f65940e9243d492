// The real-time panel of a program without a window: the polling cycle drives it and nothing
// is drawn.
#pragma once

#include "engine/RealTimeView.h"

namespace quillmark {

class HeadlessBarGauge final : public BarGauge {
public:
    void setPointerValue(double) override {}
    void setPointerScale(int) override {}
    void setGaugeVisible(bool) override {}
};

class HeadlessDialGauge final : public DialGauge {
public:
    void setValue(double) override {}
    void setCaption(const QString&) override {}
    void setTachScaleMax(double) override {}
    void setTachMarkLow(double) override {}
    void setTachMarkHigh(double) override {}
    void setTachDisplayCode(int) override {}
};

class HeadlessView final : public RealTimeView {
public:
    void setPanelVisible(bool) override {}
    void setStatusText(const QString&) override {}
    BarGauge& gauTPS() override { return bar_; }
    BarGauge& gauFuelMult1() override { return bar_; }
    BarGauge& gauFuelMult2() override { return bar_; }
    BarGauge& gauBatVolts() override { return bar_; }
    BarGauge& gauInj1PW() override { return bar_; }
    BarGauge& gauInj2PW() override { return bar_; }
    BarGauge& gauRetard() override { return bar_; }
    DialGauge& gauTach() override { return dial_; }

private:
    HeadlessBarGauge bar_;
    HeadlessDialGauge dial_;
};

}  // namespace quillmark
