# Cross compiling for 64-bit Windows with the mingw-w64 toolchain: the same
# sources, run under 64-bit Wine where the kernel runs no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORBIVUE_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
