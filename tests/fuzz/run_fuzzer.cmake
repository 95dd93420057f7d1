# Runs a libFuzzer target from a fresh copy of its seeds in the build tree, so
# the inputs it adds and any crash file never land in the source tree.
# -DFUZZER -DSEEDS (folder) [-DEXTRA_SEED (file)] -DWORK -DRUNS -DMAX_SECONDS
set(corpus "${WORK}/corpus")
file(REMOVE_RECURSE "${corpus}")
file(MAKE_DIRECTORY "${corpus}")
file(COPY "${SEEDS}/" DESTINATION "${corpus}")
if(EXTRA_SEED)
  file(COPY "${EXTRA_SEED}" DESTINATION "${corpus}")
endif()
# A small quarantine and no allocation stacks keep AddressSanitizer's cost per
# input down; a fault still reports where it happened.
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env "ASAN_OPTIONS=quarantine_size_mb=8:malloc_context_size=0"
          "${FUZZER}" -runs=${RUNS} -max_total_time=${MAX_SECONDS} -timeout=10
          -artifact_prefix=${WORK}/ "${corpus}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit ${result}); the input is in ${WORK}")
endif()
