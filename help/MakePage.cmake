# Wraps one help page's body in the shared page head: cmake -DBODY=… -DOUTPUT=… -P MakePage.cmake.
# The window title is the page's first heading. The viewer needs the full html/head/body frame:
# without it the page shows empty.
file(READ ${BODY} HELP_BODY)
if(NOT HELP_BODY MATCHES "<h1>([^<]*)</h1>")
    message(FATAL_ERROR "${BODY}: no <h1> heading to take the page title from")
endif()
set(HELP_TITLE "${CMAKE_MATCH_1}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/page.html.in ${OUTPUT} @ONLY)
