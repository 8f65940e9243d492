# The real serial port of the platform layer.
target_sources(quillmark_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/LineErrorCounters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineErrorCounters.h
    ${CMAKE_CURRENT_LIST_DIR}/LineFormat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LineFormat.h
    ${CMAKE_CURRENT_LIST_DIR}/PortNames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortNames.h
    ${CMAKE_CURRENT_LIST_DIR}/QtSerialPort.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtSerialPort.h
    ${CMAKE_CURRENT_LIST_DIR}/SerialMarks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SerialMarks.h
)
