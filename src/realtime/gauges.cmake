# Sources of the real-time panel and its gauge tables.
target_sources(quillmark_core PRIVATE
    GaugeTables.h
    RealTimePanelWidget.h
    RealTimePanelWidget.cpp
)
