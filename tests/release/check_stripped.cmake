# Fails when EXE still carries a symbol table or debug sections.
execute_process(COMMAND x86_64-w64-mingw32-objdump -h -t ${EXE}
                OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
string(REGEX MATCHALL "\\.debug_[a-z_]+" debug "${dump}")
if(debug)
  list(REMOVE_DUPLICATES debug)
  message(FATAL_ERROR "${EXE} has debug sections: ${debug}")
endif()
# objdump prints the symbol table's entries as "[  0](sec ...": a stripped image has none.
if(dump MATCHES "\\[ *[0-9]+\\]\\(sec")
  message(FATAL_ERROR "${EXE} has a symbol table")
endif()
file(SIZE ${EXE} size)
message(STATUS "${EXE}: ${size} bytes, stripped")
