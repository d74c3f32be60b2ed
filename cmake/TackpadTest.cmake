# tackpad_test(NAME SOURCES ... LIBS ... [TIMEOUT s]): one GoogleTest program, registered with
# ctest. In the Windows build ctest runs it through cmake/wine-test (the cross-compiling
# emulator), which names a test that hangs, stops the program 20 s before ctest would and then
# stops every process of the Wine prefix; so the Wine programs share a lock and never overlap.
function(tackpad_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(CMAKE_CROSSCOMPILING)
    math(EXPR limit "${T_TIMEOUT} - 20")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT TACKPAD_TEST_LIMIT=${limit} RESOURCE_LOCK wine_prefix)
  endif()
endfunction()
