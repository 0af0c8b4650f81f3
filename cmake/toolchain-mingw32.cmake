# i686 Windows build with mingw-w64: the shipped 32-bit programs. This kernel cannot run
# 32-bit code, so there is no emulator and the build is compiled and linked only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(POMAREL_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
