# Cross toolchain for the 32-bit Windows build that ships; it cannot run on this machine, only build and link.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELMORA_MINGW_HOST i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
