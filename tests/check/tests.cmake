# relalg-check's golden cases: each verdict, reason and flag, in text and in JSON, and its bad
# inputs; NAME, the exit status, then the arguments, run in the folder of the test files.
function(checkcase name status arguments)
  add_test(NAME check/${name}
           COMMAND ${CMAKE_COMMAND} -DCHECK=$<TARGET_FILE:relalg-check> -DSTATUS=${status}
                   "-DARGUMENTS=${arguments}" -DFILES=${CMAKE_CURRENT_SOURCE_DIR}/check/files
                   -DEXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/check/expected/${name}.out
                   "-DOUTFILE=${ARGN}" -P ${CMAKE_CURRENT_SOURCE_DIR}/check/case.cmake)
endfunction()

checkcase(verdicts-text 1 "answer.txt right.txt wrongrows.txt wrongcolumns.txt misspelt.txt")
checkcase(verdicts-json 1 "--json answer.txt right.txt wrongrows.txt wrongcolumns.txt misspelt.txt")
checkcase(strict-text 1 "--strict answer.txt ordered.txt right.txt")
checkcase(strict-json 1 "--strict --json answer.txt ordered.txt")
checkcase(not-strict 0 "answer.txt ordered.txt")
checkcase(generated-text 1 "--generate 200 answer.txt hidden.txt")
checkcase(generated-json 1 "--json --generate 200 answer.txt hidden.txt")
checkcase(hidden-without-generating 0 "--json answer.txt hidden.txt")
checkcase(more-tables 1 "--tables more.txt --json answer.txt hidden.txt right.txt")
checkcase(out-folder 1 "--out out answer.txt wrongrows.txt" out/wrongrows.txt)
checkcase(query-only-input 1 "answer.txt notables.txt")
checkcase(query-only-unended 1 "--json answer.txt unended.txt")
checkcase(missing-input 2 "--json answer.txt right.txt missing.txt wrongrows.txt")
checkcase(missing-tables 2 "--tables missing.txt answer.txt right.txt")
checkcase(answer-without-tables 2 "notables.txt right.txt")
checkcase(missing-answer 2 "missing.txt right.txt")
checkcase(no-input 2 "answer.txt")
checkcase(unknown-option 2 "--fast answer.txt right.txt")
checkcase(malformed-queries 1 "malformed.txt malformed.txt right.txt")
checkcase(too-large 2 "--json answer.txt toolarge.txt right.txt")
