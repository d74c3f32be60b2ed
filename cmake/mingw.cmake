# Cross build for Windows with mingw-w64 (posix thread model, so std::mutex exists for GoogleTest).
# Included by the toolchain files, which set tackpad_mingw_arch first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${tackpad_mingw_arch})
set(CMAKE_C_COMPILER ${tackpad_mingw_arch}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${tackpad_mingw_arch}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${tackpad_mingw_arch}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${tackpad_mingw_arch}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine through the harness wrapper; start.sh runs the program itself with wine-run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-test)
