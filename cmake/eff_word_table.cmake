# Turns the EFF long word list (lines "DICE<TAB>word", 7,776 of them) into a C++ table.
# Run by the engine's build: cmake -DWORD_LIST=FILE -DOUTPUT=FILE -P eff_word_table.cmake
file(STRINGS "${WORD_LIST}" lines)
list(LENGTH lines count)
if(NOT count EQUAL 7776)
  message(FATAL_ERROR "${WORD_LIST}: ${count} lines, not the 7,776 of the EFF long word list")
endif()
set(table "")
foreach(line IN LISTS lines)
  # A word of lower-case letters and hyphens needs no escaping in a C++ string literal.
  if(NOT line MATCHES "^[1-6][1-6][1-6][1-6][1-6]\t([a-z][a-z-]*)$")
    message(FATAL_ERROR "${WORD_LIST}: not a word list line: ${line}")
  endif()
  string(APPEND table "    \"${CMAKE_MATCH_1}\",\n")
endforeach()
file(WRITE "${OUTPUT}.new"
     "// Generated from ${WORD_LIST} by cmake/eff_word_table.cmake.\n"
     "#include \"eff_word_list.h\"\n\n"
     "namespace qz {\n\n"
     "const char* const kEffLongWords[kEffLongWordCount] = {\n${table}};\n\n"
     "}  // namespace qz\n")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
