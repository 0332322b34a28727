# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers
# (package g++-mingw-w64-x86-64). Use with
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVEX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVEX_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${KORVEX_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${KORVEX_MINGW_PREFIX}-windres)

# Libraries and headers from the MinGW tree only; programs (Python for the
# button pictures) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KORVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
