# Files on disk and the help viewer.
target_sources(quillmark_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.h
    ${CMAKE_CURRENT_LIST_DIR}/QtFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtFiles.h
    ${CMAKE_CURRENT_LIST_DIR}/QtHelpViewer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtHelpViewer.h
)
