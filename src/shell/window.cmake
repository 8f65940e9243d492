# The main window, its layout data and its icon.
target_sources(quillmark_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowLayout.h
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowWidget.h
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowWidget.cpp
)
qt_add_resources(quillmark_core quillmark_window_icon
    PREFIX /quillmark
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES ${PROJECT_SOURCE_DIR}/resources/quillmark.png
)
