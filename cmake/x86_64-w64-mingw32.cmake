# Cross-builds romscope.exe for 64-bit Windows on Debian with MinGW-w64:
#   apt-get install g++-mingw-w64-x86-64-posix
#   cmake -S . -B build-windows --toolchain cmake/x86_64-w64-mingw32.cmake
# The posix thread model is needed by GoogleTest (std::mutex and friends);
# everything is linked statically, so romscope.exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ROMSCOPE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ROMSCOPE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ROMSCOPE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ROMSCOPE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ROMSCOPE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
