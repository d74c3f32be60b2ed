# 64-bit Windows, to run the tests under Wine where the kernel runs no 32-bit code.
set(tackpad_mingw_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
