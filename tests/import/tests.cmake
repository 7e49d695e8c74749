# The tests of relalg-import: each case's input file or refusal through the real program, its
# rules against relalg's reader, and every golden input carried through SQLite and back.
find_program(SQLITE3 sqlite3)

# importcase(NAME STATUS "ARGUMENTS"), the arguments quoted as a shell would: see case.cmake.
function(importcase name status arguments)
  add_test(NAME import/${name}
           COMMAND ${CMAKE_COMMAND} -DIMPORT=$<TARGET_FILE:relalg-import>
                   -DRELALG=$<TARGET_FILE:relalg> -DSQLITE3=${SQLITE3} "-DARGUMENTS=${arguments}"
                   -DSTATUS=${status} -DCASES=${CMAKE_CURRENT_LIST_DIR}/cases
                   -DEXPECTED=${CMAKE_CURRENT_LIST_DIR}/cases/${name}
                   -DWORK=${CMAKE_CURRENT_BINARY_DIR}/import/${name}
                   -P ${CMAKE_CURRENT_LIST_DIR}/case.cmake)
endfunction()

# CSV files written as tables.
importcase(quoting 0 "quoting.csv")
importcase(crlf 0 "crlf.csv")
importcase(header-only 0 "headeronly.csv")
importcase(types 0 "types.csv")
importcase(empty-lines 0 "emptylines.csv")
importcase(byte-order-mark 0 "bom.csv")
importcase(two-files 0 "--query=select(product(emp,dept),EQ(dno,dno)) emp.csv dept.csv")
importcase(quote-stand-in 0 "--quote ’ apostrophe.csv")
importcase(name-without-extension 0 "people.v2.csv")

# CSV files refused.
importcase(quote-refused 1 "apostrophe.csv")
importcase(line-feed 1 "linefeed.csv")
importcase(carriage-return 1 "carriagereturn.csv")
importcase(nul-byte 1 "nul.csv")
importcase(column-with-blank 1 "blankcolumn.csv")
importcase(column-empty 1 "emptycolumn.csv")
importcase(column-with-quote 1 "quotecolumn.csv")
importcase(column-with-parenthesis 1 "parencolumn.csv")
importcase(table-with-comma 1 "x,y.csv")
importcase(more-fields 1 "morefields.csv")
importcase(fewer-fields 1 "fewerfields.csv")
importcase(blank-line 1 "blankline.csv")
importcase(empty-file 1 "empty.csv")
importcase(stray-quote 1 "strayquote.csv")
importcase(after-quote 1 "afterquote.csv")
importcase(unclosed-quote 1 "unclosed.csv")
importcase(same-name-twice 1 "emp.csv emp.csv")
importcase(missing-file 1 "missing.csv")

# SQLite databases.
if(SQLITE3)
  importcase(sqlite-all 0 "school.db")
  importcase(sqlite-named 0 "--query=names school.db Course names student")
  importcase(sqlite-null 0 "--null 0 nulls.db t")
  importcase(sqlite-null-refused 1 "nulls.db")
  importcase(sqlite-table-with-blank 1 "hostile.db")
  importcase(sqlite-column-with-blank 1 "hostile.db ok")
  importcase(sqlite-nul-byte 1 "hostile.db nul")
  importcase(sqlite-line-break 1 "hostile.db lines")
  importcase(sqlite-quote-refused 1 "hostile.db quotes")
  importcase(sqlite-quote-stand-in 0 "--quote=` hostile.db quotes")
  importcase(sqlite-no-table 1 "notables.db")
  importcase(sqlite-unknown-table 1 "school.db nosuch")
  importcase(sqlite-same-table-twice 1 "school.db student STUDENT")
  importcase(sqlite-after-csv 2 "emp.csv school.db")
  importcase(sqlite-damaged 1 "damaged.db")
endif()

# Wrong command lines.
importcase(no-file 2 "")
importcase(unknown-option 2 "--tables emp.csv")
importcase(quote-not-one-character 2 "--quote ab emp.csv")
importcase(quote-a-quote 2 "--quote \"'\" emp.csv")
importcase(null-with-quote 2 "--null=\"it's\" emp.csv")

# The int rule and the name rules against relalg itself, and every golden input through SQLite
# and back: a thousand runs of the programs, which check rules rather than memory, so left to
# the build without sanitizers, where they take seconds rather than minutes.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND AND SQLITE3 AND NOT RELALG_SANITIZE)
  add_test(NAME import/roundtrip
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/roundtrip.py
                   --relalg $<TARGET_FILE:relalg> --explain $<TARGET_FILE:relalg-explain>
                   --import $<TARGET_FILE:relalg-import> --sqlite3 ${SQLITE3}
                   ${PROJECT_SOURCE_DIR}/tests/golden ${PROJECT_SOURCE_DIR}/tests/sql/golden)
  set_tests_properties(import/roundtrip PROPERTIES TIMEOUT 300)
  add_test(NAME import/rules
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/rules.py
                   --relalg $<TARGET_FILE:relalg> --import $<TARGET_FILE:relalg-import>
                   --sqlite3 ${SQLITE3})
endif()
