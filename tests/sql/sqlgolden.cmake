# Runs the SQL translation on one golden input with the given options and compares the script
# it writes with the expected bytes.
get_filename_component(outdir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${outdir})
execute_process(COMMAND ${PROGRAM} ${OPTIONS} ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} exited with ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED} ${OUTPUT} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "script differs from ${EXPECTED}: see ${OUTPUT}")
endif()
