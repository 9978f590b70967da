# One smoke run of a fuzz target, as a CTest test. It reads the seeds and
# the corpus the last long run kept in the repository (scripts/fuzz-long.sh)
# and writes what it finds into a corpus folder of the build that is
# emptied each time, so that what a run starts from is what the repository
# holds, never what earlier smoke runs left. Called as
#   cmake -DPROGRAM=... -DARGUMENTS=a|b|... -DCORPUS=... [-DINPUTS=dir|dir...] -P RunFuzzer.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
string(REPLACE "|" ";" inputs "${INPUTS}")
file(REMOVE_RECURSE ${CORPUS})
file(MAKE_DIRECTORY ${CORPUS})
execute_process(COMMAND ${PROGRAM} ${arguments} ${CORPUS} ${inputs} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} stopped with ${result}: a finding (see above)")
endif()
