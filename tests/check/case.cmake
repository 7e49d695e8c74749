# Runs relalg-check with ARGUMENTS in the folder of the test files and checks its exit status
# and what it writes against EXPECTED: standard output, then standard error after a line
# "-- stderr", the seconds of a JSON report written as 0. With OUTFILE, that file as well.
separate_arguments(arguments UNIX_COMMAND "${ARGUMENTS}")
execute_process(COMMAND ${CHECK} ${arguments} WORKING_DIRECTORY ${FILES}
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE said)
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "relalg-check ${ARGUMENTS} exited with ${status}, not ${STATUS}: ${said}")
endif()
string(REGEX REPLACE "\"seconds\": [0-9.]+" "\"seconds\": 0" printed "${printed}")
set(got "${printed}-- stderr\n${said}")
if(OUTFILE)
  file(READ ${FILES}/${OUTFILE} written)
  file(REMOVE_RECURSE ${FILES}/out)
  set(got "${got}-- ${OUTFILE}\n${written}")
endif()
file(READ ${EXPECTED} expected)
if(NOT got STREQUAL expected)
  file(WRITE ${EXPECTED}.got "${got}")
  message(FATAL_ERROR "relalg-check ${ARGUMENTS} wrote otherwise than ${EXPECTED}: see "
                      "${EXPECTED}.got")
endif()
