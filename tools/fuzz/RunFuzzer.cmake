# One smoke run of a fuzz target, as a CTest test: an empty corpus folder
# each time, so that what a run finds depends on the seeds and not on what
# earlier runs kept (a grown corpus dilutes the seeds a short run starts
# from). Called as
#   cmake -DPROGRAM=... -DARGUMENTS=a|b|... -DCORPUS=... [-DSEEDS=...] -P RunFuzzer.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
file(REMOVE_RECURSE ${CORPUS})
file(MAKE_DIRECTORY ${CORPUS})
execute_process(COMMAND ${PROGRAM} ${arguments} ${CORPUS} ${SEEDS} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} stopped with ${result}: a finding (see above)")
endif()
