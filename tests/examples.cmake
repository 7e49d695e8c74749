# One test per shipped example: relalg on examples/NAME.txt must write examples/NAME.expected.
file(GLOB exampleinputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.txt)
foreach(input ${exampleinputs})
  get_filename_component(examplename ${input} NAME_WE)
  add_test(NAME example/${examplename}
           COMMAND ${CMAKE_COMMAND} -DRELALG=$<TARGET_FILE:relalg> -DINPUT=${input}
                   -DEXPECTED=${PROJECT_SOURCE_DIR}/examples/${examplename}.expected
                   -DOUTPUT=${CMAKE_CURRENT_BINARY_DIR}/examples/${examplename}.got
                   -P ${CMAKE_CURRENT_LIST_DIR}/golden.cmake)
endforeach()
