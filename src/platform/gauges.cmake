# Sources of the bar and dial gauge widgets.
target_sources(quillmark_core PRIVATE
    gauges/GaugeGeometry.h
    gauges/GaugeGeometry.cpp
    gauges/StaticLayer.h
    gauges/StaticLayer.cpp
    gauges/BarGaugeWidget.h
    gauges/BarGaugeWidget.cpp
    gauges/DialGaugeWidget.h
    gauges/DialGaugeWidget.cpp
)
