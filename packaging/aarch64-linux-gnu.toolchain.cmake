# Cross-builds for 64-bit Arm Debian (a Raspberry Pi-class board) with Debian's cross compiler
# (g++-aarch64-linux-gnu, which brings its own arm64 C and C++ libraries), against Debian's arm64
# Qt unpacked into QUILLMARK_ARM64_SYSROOT by scripts/arm64-sysroot.sh. moc and the other Qt
# tools are the build machine's own (QT_HOST_PATH). scripts/package.sh --arch arm64 uses it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# The compiler checks run this file again in a scratch project; they need the folder too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLMARK_ARM64_SYSROOT)
if(NOT QUILLMARK_ARM64_SYSROOT)
    message(FATAL_ERROR "Set QUILLMARK_ARM64_SYSROOT to the folder of scripts/arm64-sysroot.sh")
endif()

# Libraries, headers and packages come from the arm64 folder only; programs from this machine.
set(CMAKE_FIND_ROOT_PATH ${QUILLMARK_ARM64_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_PREFIX_PATH /usr)

set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# Qt's libraries need others of the folder (ICU, PCRE2, ...) that the linker must find to
# check them; they are not linked into the program.
foreach(dir lib/aarch64-linux-gnu usr/lib/aarch64-linux-gnu)
    add_link_options(LINKER:-rpath-link,${QUILLMARK_ARM64_SYSROOT}/${dir})
endforeach()
