# Passes when PROGRAM --version exits with status 0 and prints exactly "qzcrypt VERSION".
# EMULATOR (Wine in the cross build) runs it when given.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --version
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc STREQUAL "0")
  message(FATAL_ERROR "qzcrypt --version exited with ${rc}: ${out}${err}")
endif()
if(NOT out MATCHES "^qzcrypt ${VERSION}\r?\n$")
  message(FATAL_ERROR "qzcrypt --version printed \"${out}\", not \"qzcrypt ${VERSION}\"")
endif()
