# The product: 32-bit Windows.
set(tackpad_mingw_arch i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
