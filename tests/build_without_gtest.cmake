# Configures the source tree as if GoogleTest were not installed and builds
# the program alone: configure must succeed and say which package brings the
# tests. Run with -DSOURCE=... -DBUILD=... -DGENERATOR=... -DCOMPILER=... -P.
file(REMOVE_RECURSE "${BUILD}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -S "${SOURCE}" -B "${BUILD}" -G "${GENERATOR}"
          -DCMAKE_CXX_COMPILER=${COMPILER} -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
          -DCMAKE_BUILD_TYPE=Debug
  OUTPUT_VARIABLE configured ERROR_VARIABLE configured RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT configured MATCHES "tests are skipped[^\n]*libgtest-dev")
  message(FATAL_ERROR "configure without GoogleTest:\n${configured}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${BUILD}" --target clustmat -j2
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the program does not build without GoogleTest")
endif()
file(REMOVE_RECURSE "${BUILD}")
