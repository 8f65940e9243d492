// The real-time panel as the polling cycle and the open/close operations drive it.
#pragma once

#include "platform/Gauges.h"

#include <QString>

namespace quillmark {

class RealTimeView {
public:
    virtual ~RealTimeView() = default;
    virtual void setPanelVisible(bool visible) = 0;
    virtual void setStatusText(const QString& text) = 0;  // lblStatusFlags
    virtual BarGauge& gauTPS() = 0;
    virtual BarGauge& gauFuelMult1() = 0;
    virtual BarGauge& gauFuelMult2() = 0;
    virtual BarGauge& gauBatVolts() = 0;
    virtual BarGauge& gauInj1PW() = 0;
    virtual BarGauge& gauInj2PW() = 0;
    virtual BarGauge& gauRetard() = 0;
    virtual DialGauge& gauTach() = 0;
};

}  // namespace quillmark
