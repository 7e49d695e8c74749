# The tests of relalg-explain: its text and JSON for each case and each shipped example, and
# the check of every step's row count against relalg over all inputs.
function(explaincase name input expected)
  set(forms text json)
  if(ARGC GREATER 3)
    set(forms ${ARGN})
  endif()
  foreach(form ${forms})
    set(options "")
    if(form STREQUAL "json")
      set(options "--json")
    endif()
    add_test(NAME explain/${name}/${form}
             COMMAND ${CMAKE_COMMAND} -DEXPLAIN=$<TARGET_FILE:relalg-explain> -DINPUT=${input}
                     -DOPTIONS=${options} -DEXPECTED=${expected}.${form}
                     -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/explain/${name}.${form}
                     -P ${CMAKE_CURRENT_LIST_DIR}/golden.cmake)
  endforeach()
endfunction()

file(GLOB explaininputs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cases/*.in)
foreach(input ${explaininputs})
  get_filename_component(casename ${input} NAME_WE)
  explaincase(${casename} ${input} ${CMAKE_CURRENT_LIST_DIR}/cases/${casename})
endforeach()

file(GLOB exampleinputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.txt)
foreach(input ${exampleinputs})
  get_filename_component(examplename ${input} NAME_WE)
  explaincase(example-${examplename} ${input} ${CMAKE_CURRENT_LIST_DIR}/examples/${examplename})
endforeach()

# Exit statuses: 2 for a wrong command line, 1 for an input that cannot be read, 0 otherwise.
function(explainstatus name arguments status says)
  add_test(NAME explain/status/${name}
           COMMAND ${CMAKE_COMMAND} -DEXPLAIN=$<TARGET_FILE:relalg-explain> "-DARGUMENTS=${arguments}"
                   -DSTATUS=${status} "-DSAYS=${says}" -P ${CMAKE_CURRENT_LIST_DIR}/status.cmake)
endfunction()
set(example ${PROJECT_SOURCE_DIR}/examples/sales.txt)
explainstatus(no-input "" 2 "no input file")
explainstatus(two-inputs "${example} ${example}" 2 "more than one input file")
explainstatus(rows-not-a-number "--rows x ${example}" 2 "--rows wants a number")
explainstatus(unknown-option "--yaml ${example}" 2 "unknown option --yaml")
explainstatus(unknown-dialect "--sql --dialect=mysql ${example}" 2 "--dialect wants sqlite")
explainstatus(dialect-without-sql "--dialect=duckdb ${example}" 2 "go with --sql")
explainstatus(sql "--sql --dialect=duckdb --sql-tables=no ${example}" 0 "")
explainstatus(missing-input "${CMAKE_CURRENT_BINARY_DIR}/no-such-file" 1 "cannot read .*no-such-file")
explainstatus(directory-input "${CMAKE_CURRENT_LIST_DIR}" 1 "it is a directory")
explainstatus(help "--help" 0 "")
explainstatus(latex "--latex ${example}" 0 "")
# --fail-on-notes: 1 when any note is made, in every form, 0 for an input without one.
set(noted ${CMAKE_CURRENT_LIST_DIR}/cases/comparison-same-column.in)
explainstatus(fail-on-notes "--fail-on-notes ${noted}" 1 "")
explainstatus(fail-on-notes-json "--json --fail-on-notes ${noted}" 1 "")
explainstatus(fail-on-notes-without-notes "--fail-on-notes ${example}" 0 "")
explainstatus(fail-on-notes-with-sql "--sql --fail-on-notes ${example}" 2 "not with --sql")

# A query nesting past the limit is 100,001 parentheses long: made here, not kept in the tree,
# and its JSON, which holds the query twice, is left to the unit tests.
string(REPEAT "(" 100001 parentheses)
set(deepinput ${CMAKE_CURRENT_BINARY_DIR}/explain/nesting-limit.in)
file(WRITE ${deepinput} "${parentheses}\n\nemp(id int)\n1\n")
explaincase(nesting-limit ${deepinput} ${CMAKE_CURRENT_LIST_DIR}/generated/nesting-limit text)

find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME explain/rows-as-relalg-gives
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/rowscheck.py
                   $<TARGET_FILE:relalg> $<TARGET_FILE:relalg-explain>
                   ${CMAKE_CURRENT_SOURCE_DIR}/golden ${PROJECT_SOURCE_DIR}/examples
                   ${CMAKE_CURRENT_LIST_DIR}/cases ${deepinput})
  # Both programs at the nesting limit on a stack of 1 MiB: nothing recurses per level.
  foreach(shape select not and union project)
    add_test(NAME explain/small-stack/${shape}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/smallstack.py
                     $<TARGET_FILE:relalg> $<TARGET_FILE:relalg-explain> ${shape})
    set_tests_properties(explain/small-stack/${shape} PROPERTIES TIMEOUT 600)
  endforeach()
endif()
