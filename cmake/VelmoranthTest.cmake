# velmoranth_test(<target> [OWN_DISPLAY] SOURCES ... LIBS ...): one GoogleTest binary
# registered with CTest. Tests run in the build's run folder, which holds the generated Models/.
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
endfunction()
