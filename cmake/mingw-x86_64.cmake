# The 64-bit twin of the Windows build (PE32+): the same sources, tested under 64-bit Wine on
# hosts that run no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
