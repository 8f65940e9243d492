# The splash window, the branding file and the About text.
target_sources(quillmark_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AboutText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AboutText.h
    ${CMAKE_CURRENT_LIST_DIR}/Branding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Branding.h
    ${CMAKE_CURRENT_LIST_DIR}/frmSplash.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frmSplash.h
    ${CMAKE_CURRENT_LIST_DIR}/Splash.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Splash.h
    ${CMAKE_CURRENT_LIST_DIR}/SplashWindowWidget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SplashWindowWidget.h
)

# The logo, the sample branding file and the help go beside the program.
include(${PROJECT_SOURCE_DIR}/help/help.cmake)
