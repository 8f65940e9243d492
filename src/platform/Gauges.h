// The members the program drives on its gauges; it never reads a gauge back.
#pragma once

#include <QString>

namespace quillmark {

class BarGauge {
public:
    virtual ~BarGauge() = default;
    // Drawn on the current segment; a value outside it is clamped to the segment's nearer end.
    virtual void setPointerValue(double value) = 0;
    // 0-based scale segment the following values are drawn on.
    virtual void setPointerScale(int segment) = 0;
    virtual void setGaugeVisible(bool visible) = 0;
};

// The tachometer's display code that shows the numeric readout under the dial.
inline constexpr int kTachShowsReadout = 3;

class DialGauge {
public:
    virtual ~DialGauge() = default;
    virtual void setValue(double thousandsRpm) = 0;
    virtual void setCaption(const QString& readout) = 0;
    virtual void setTachScaleMax(double top) = 0;
    virtual void setTachMarkLow(double mark) = 0;
    virtual void setTachMarkHigh(double mark) = 0;
    virtual void setTachDisplayCode(int code) = 0;
};

}  // namespace quillmark
