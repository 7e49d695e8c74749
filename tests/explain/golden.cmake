# Runs relalg-explain with OPTIONS on one input and compares what it writes with the expected
# bytes.
get_filename_component(outdir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${outdir})
separate_arguments(options UNIX_COMMAND "${OPTIONS}")
execute_process(COMMAND ${EXPLAIN} ${options} ${INPUT} OUTPUT_FILE ${OUTPUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "relalg-explain exited with ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED} ${OUTPUT}
                RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "output differs from ${EXPECTED}: see ${OUTPUT}")
endif()
