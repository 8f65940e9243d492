// Spies: gauges and a real-time panel that remember every value set on them, for tests.
#pragma once

#include "platform/ErrorRecord.h"
#include "platform/Gauges.h"
#include "engine/RealTimeView.h"

#include <QStringList>

#include <functional>

namespace quillmark::test {

class SpyBarGauge final : public BarGauge {
public:
    double value = -999;
    int segment = -1;
    bool visible = true;
    int valueSets = 0;
    void setPointerValue(double v) override {
        value = v;
        ++valueSets;
    }
    void setPointerScale(int s) override { segment = s; }
    void setGaugeVisible(bool v) override { visible = v; }
};

class SpyDial final : public DialGauge {
public:
    double value = -999;
    QString caption = QStringLiteral("0");
    double scaleMax = 8;
    double markLow = 5.7;
    double markHigh = 6;
    int displayCode = 0;
    QStringList order;  // member names in the order they were set
    void setValue(double v) override { record(value, v, "Value"); }
    void setCaption(const QString& c) override { record(caption, c, "Caption"); }
    void setTachScaleMax(double v) override { record(scaleMax, v, "TachScaleMax"); }
    void setTachMarkLow(double v) override { record(markLow, v, "TachMarkLow"); }
    void setTachMarkHigh(double v) override { record(markHigh, v, "TachMarkHigh"); }
    void setTachDisplayCode(int c) override { record(displayCode, c, "TachDisplayCode"); }

private:
    template <typename T>
    void record(T& member, const T& value, const char* name) {
        member = value;
        order << QString::fromLatin1(name);
    }
};

class SpyRealTimeView final : public RealTimeView {
public:
    bool panelVisible = true;
    QString status = QStringLiteral("(unset)");
    SpyBarGauge tps, fuel1, fuel2, bat, inj1, inj2, retard;
    SpyDial tach;
    std::function<void()> onStatusText;

    void setPanelVisible(bool v) override { panelVisible = v; }
    void setStatusText(const QString& text) override {
        status = text;
        if (onStatusText) {
            onStatusText();
        }
    }
    BarGauge& gauTPS() override { return tps; }
    BarGauge& gauFuelMult1() override { return fuel1; }
    BarGauge& gauFuelMult2() override { return fuel2; }
    BarGauge& gauBatVolts() override { return bat; }
    BarGauge& gauInj1PW() override { return inj1; }
    BarGauge& gauInj2PW() override { return inj2; }
    BarGauge& gauRetard() override { return retard; }
    DialGauge& gauTach() override { return tach; }
};

}  // namespace quillmark::test
