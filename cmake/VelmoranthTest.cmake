# velmoranth_test(<target> SOURCES ... LIBS ...): one GoogleTest binary registered with CTest.
# Tests run in the build's run folder, which holds the generated Models/.
function(velmoranth_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${target} WORKING_DIRECTORY ${VELMORANTH_RUN_DIR}
                       DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES)
endfunction()
