# Qt message boxes and the font substitutes of the windows.
target_sources(quillmark_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/QtMessageBoxes.h
    ${CMAKE_CURRENT_LIST_DIR}/QtMessageBoxes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtFonts.h
    ${CMAKE_CURRENT_LIST_DIR}/QtFonts.cpp
)
