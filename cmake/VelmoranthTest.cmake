# No sound card (SDL's dummy driver, OpenAL's null one) and nobody to answer a message: it goes
# to standard error and counts as answered, so no test waits on a modal box. A sanitized build
# adds its checkers' settings.
set(VELMORANTH_TEST_ENVIRONMENT SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null
    VELMORANTH_NONINTERACTIVE=1)
set(velmoranth_sanitizers "${VELMORANTH_SANITIZE}")
if(VELMORANTH_FUZZ)
  string(APPEND velmoranth_sanitizers ",address,undefined")
endif()
if(velmoranth_sanitizers MATCHES "address")
  list(APPEND VELMORANTH_TEST_ENVIRONMENT ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
       LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp)
endif()
if(velmoranth_sanitizers MATCHES "undefined")
  list(APPEND VELMORANTH_TEST_ENVIRONMENT UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
endif()
if(velmoranth_sanitizers MATCHES "thread")
  list(APPEND VELMORANTH_TEST_ENVIRONMENT
       TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_SOURCE_DIR}/tests/tsan.supp)
endif()

# velmoranth_test(<target> [OWN_DISPLAY] SOURCES ... LIBS ...): one GoogleTest binary
# registered with CTest. Tests run in the build's run folder, which holds the generated Models/,
# with the environment above, so a plain ctest runs them as the test command does.
# OWN_DISPLAY runs each test on an X server of its own: for tests that map windows and read
# the screen back, which tests running beside them on a shared display would disturb.
function(velmoranth_test target)
  cmake_parse_arguments(ARG "OWN_DISPLAY" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  if(ARG_OWN_DISPLAY)
    set_target_properties(${target} PROPERTIES
      CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/support/own_display.sh)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${target} WORKING_DIRECTORY ${VELMORANTH_RUN_DIR}
                       DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES)
  # The tests are found when ctest starts, so their environment is set by a script that ctest
  # reads after the one that finds them (a list cannot pass through gtest_discover_tests).
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_environment.cmake)
  file(WRITE ${script}
       "if(${target}_TESTS)\n"
       "  set_tests_properties(\${${target}_TESTS} PROPERTIES ENVIRONMENT\n"
       "                       \"${VELMORANTH_TEST_ENVIRONMENT}\")\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
