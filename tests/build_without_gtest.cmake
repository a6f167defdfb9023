# Configures the source tree as if GoogleTest were not installed: configure
# must succeed and say which package brings the tests. Building the program
# there takes as long as building it at all, and .ci/run does that; this
# test stays quick. Run with -DSOURCE=... -DBUILD=... -DGENERATOR=...
# -DCOMPILER=... -P.
file(REMOVE_RECURSE "${BUILD}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -S "${SOURCE}" -B "${BUILD}" -G "${GENERATOR}"
          -DCMAKE_CXX_COMPILER=${COMPILER} -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
          -DCMAKE_BUILD_TYPE=Debug
  OUTPUT_VARIABLE configured ERROR_VARIABLE configured RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT configured MATCHES "tests are skipped[^\n]*libgtest-dev")
  message(FATAL_ERROR "configure without GoogleTest:\n${configured}")
endif()
file(REMOVE_RECURSE "${BUILD}")
