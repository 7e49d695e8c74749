# Runs relalg-explain with ARGUMENTS and checks its exit status and that standard error says
# what SAYS matches (nothing when SAYS is empty).
separate_arguments(arguments UNIX_COMMAND "${ARGUMENTS}")
execute_process(COMMAND ${EXPLAIN} ${arguments} RESULT_VARIABLE status
                OUTPUT_VARIABLE printed ERROR_VARIABLE said)
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "relalg-explain ${ARGUMENTS} exited with ${status}, not ${STATUS}: ${said}")
endif()
if(SAYS STREQUAL "" AND NOT said STREQUAL "")
  message(FATAL_ERROR "relalg-explain ${ARGUMENTS} said: ${said}")
endif()
if(NOT said MATCHES "${SAYS}")
  message(FATAL_ERROR "relalg-explain ${ARGUMENTS} said \"${said}\", not \"${SAYS}\"")
endif()
