# Warnings for the project's own targets only (not GoogleTest's).
function(md5check_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A test program, run through Wine by CTest. DISPLAY adds a private X server.
# Usage: md5check_test(name SOURCES a.cpp b.cpp [DISPLAY] [LABELS x])
function(md5check_test name)
  cmake_parse_arguments(T "DISPLAY" "" "SOURCES;LABELS;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  md5check_warnings(${name})
  target_link_libraries(${name} PRIVATE md5check_core ${T_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(T_DISPLAY)
    add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-run --display $<TARGET_FILE:${name}>)
    # Windows of parallel tests on one display would take each other's
    # focus and activation; the display tests run one at a time.
    set_tests_properties(${name} PROPERTIES LABELS "wine;display;${T_LABELS}" RUN_SERIAL TRUE)
  else()
    add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-run $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS "wine;${T_LABELS}")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
