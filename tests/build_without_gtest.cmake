# Configures the source tree as if GoogleTest were not installed, then builds
# the program alone: configure must succeed, say once why the tests are
# skipped and which package brings them, and give a program that runs. (An
# unoptimised build: the check is about configuring, and it compiles fastest.)
# Run with -DSOURCE=... -DBUILD=... -DGENERATOR=... -DCOMPILER=... -P.
file(REMOVE_RECURSE "${BUILD}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -S "${SOURCE}" -B "${BUILD}" -G "${GENERATOR}"
          -DCMAKE_CXX_COMPILER=${COMPILER} -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
          -DCMAKE_BUILD_TYPE=Debug
  OUTPUT_VARIABLE configured ERROR_VARIABLE configured RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configure without GoogleTest failed:\n${configured}")
endif()
string(REGEX MATCHALL "[^\n]*libgtest-dev[^\n]*" notices "${configured}")
list(LENGTH notices count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "configure should name libgtest-dev on one line:\n${configured}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${BUILD}" --target clustmat -j2
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the program does not build without GoogleTest")
endif()
execute_process(COMMAND "${BUILD}/clustmat" --version OUTPUT_VARIABLE version
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "^clustmat [0-9]")
  message(FATAL_ERROR "the program built without GoogleTest does not run: ${version}")
endif()
file(REMOVE_RECURSE "${BUILD}")
