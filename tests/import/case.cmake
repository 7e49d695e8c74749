# Runs relalg-import with ARGUMENTS in a folder of its own and checks what it writes: with
# STATUS 0, EXPECTED.out on standard output, which relalg must read back as written; otherwise
# that exit status, EXPECTED.err on standard error and nothing on standard output. An argument
# X.db is a database that sqlite3 builds there from CASES/X.sql; one naming a file of CASES is
# a copy of it; any other is passed as it is.
cmake_minimum_required(VERSION 3.16)  # quoted texts are compared as texts, never as variables
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
separate_arguments(arguments UNIX_COMMAND "${ARGUMENTS}")
foreach(argument ${arguments})
  string(REGEX REPLACE "\\.db$" ".sql" script "${argument}")
  if(NOT script STREQUAL argument AND EXISTS ${CASES}/${script})
    execute_process(COMMAND ${SQLITE3} ${WORK}/${argument} INPUT_FILE ${CASES}/${script}
                    RESULT_VARIABLE built ERROR_VARIABLE why)
    if(NOT built EQUAL 0)
      message(FATAL_ERROR "sqlite3 could not build ${argument}: ${why}")
    endif()
  elseif(NOT argument MATCHES "^-" AND EXISTS ${CASES}/${argument})
    file(COPY ${CASES}/${argument} DESTINATION ${WORK})
  endif()
endforeach()

execute_process(COMMAND ${IMPORT} ${arguments} WORKING_DIRECTORY ${WORK}
                OUTPUT_FILE ${WORK}/got.in ERROR_VARIABLE said RESULT_VARIABLE status)
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "relalg-import ${ARGUMENTS} exited with ${status}, not ${STATUS}: ${said}")
endif()
file(READ ${WORK}/got.in written)
file(WRITE ${WORK}/said.txt "${said}")
if(NOT STATUS EQUAL 0)
  file(READ ${EXPECTED}.err expected)
  if(NOT "${said}" STREQUAL "${expected}")
    message(FATAL_ERROR "relalg-import ${ARGUMENTS} said\n${said}not\n${expected}")
  endif()
  if(NOT "${written}" STREQUAL "")
    message(FATAL_ERROR "relalg-import ${ARGUMENTS} refused, but wrote: ${written}")
  endif()
  return()
endif()
if(NOT "${said}" STREQUAL "")
  message(FATAL_ERROR "relalg-import ${ARGUMENTS} said: ${said}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED}.out ${WORK}/got.in
                RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the input written differs from ${EXPECTED}.out: see ${WORK}/got.in")
endif()
# relalg's output repeats the query and the tables as it read them, then gives the result.
execute_process(COMMAND ${RELALG} ${WORK}/got.in ${WORK}/got.out RESULT_VARIABLE ran)
file(READ ${WORK}/got.out output)
string(LENGTH "${written}\n" length)
string(SUBSTRING "${output}" 0 ${length} head)
if(NOT ran EQUAL 0 OR NOT head STREQUAL "${written}\n")
  message(FATAL_ERROR "relalg does not read ${WORK}/got.in back as written: see ${WORK}/got.out")
endif()
