# The password estimate's word lists and keyboard graphs are generated at build time from
# Debian's python3-zxcvbn, which is never copied into the sources. Debian's own python3 has
# the module (a python3 earlier on PATH may not).
find_program(QZ_SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
set(qz_zxcvbn_dir "")
if(QZ_SYSTEM_PYTHON3)
  execute_process(
    COMMAND ${QZ_SYSTEM_PYTHON3} -c
            "import os, zxcvbn.frequency_lists, zxcvbn.adjacency_graphs; print(os.path.dirname(zxcvbn.__file__))"
    OUTPUT_VARIABLE qz_zxcvbn_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT qz_zxcvbn_dir)
  message(FATAL_ERROR "The password estimate's tables need /usr/bin/python3 with Debian's "
                      "python3-zxcvbn module: apt-get install python3-zxcvbn "
                      "(scripts/bootstrap.sh installs it), or set QZ_SYSTEM_PYTHON3.")
endif()

set(qz_strength_tables ${CMAKE_CURRENT_BINARY_DIR}/strength_tables.cpp)
add_custom_command(
  OUTPUT ${qz_strength_tables}
  COMMAND ${QZ_SYSTEM_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/make_strength_tables.py ${qz_strength_tables}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_strength_tables.py
          ${qz_zxcvbn_dir}/frequency_lists.py ${qz_zxcvbn_dir}/adjacency_graphs.py
  COMMENT "Generating the password estimate's tables from python3-zxcvbn"
  VERBATIM)

set(qz_strength_sources
  password/strength/strength_text.cpp
  password/strength/strength_match.cpp
  password/strength/ranked_dictionary.cpp
  password/strength/l33t_substitutions.cpp
  password/strength/l33t_words.cpp
  password/strength/dictionary_matches.cpp
  password/strength/keyboard_matches.cpp
  password/strength/repeat_matches.cpp
  password/strength/sequence_matches.cpp
  password/strength/date_matches.cpp
  password/strength/cheapest_cover.cpp
  password/strength/guess_estimate.cpp
  ${qz_strength_tables}
)
