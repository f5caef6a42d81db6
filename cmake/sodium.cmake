# libsodium for the strong (".age") format: Debian's libsodium-dev for native builds.
# The Windows build compiles Debian's own source package for mingw (see below).
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
  add_library(qz_sodium INTERFACE)
  target_link_libraries(qz_sodium INTERFACE PkgConfig::SODIUM)
else()
  # Debian ships no mingw libsodium. The script builds its source package once per version
  # into this build tree at configure time (a few minutes the first time; later configures
  # find it built), so that `cmake --build` needs nothing more.
  set(qz_sodium_script ${CMAKE_CURRENT_LIST_DIR}/sodium-mingw.sh)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qz_sodium_script})
  execute_process(COMMAND bash ${qz_sodium_script} ${CMAKE_BINARY_DIR}/sodium-mingw 2
                  OUTPUT_VARIABLE qz_sodium_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE qz_sodium_rc)
  if(NOT qz_sodium_rc EQUAL 0 OR NOT EXISTS "${qz_sodium_prefix}/lib/libsodium.a")
    message(FATAL_ERROR "libsodium for mingw could not be built (messages above)")
  endif()
  message(STATUS "libsodium for mingw: ${qz_sodium_prefix}")
  add_library(qz_sodium STATIC IMPORTED GLOBAL)
  set_target_properties(qz_sodium PROPERTIES
    IMPORTED_LOCATION ${qz_sodium_prefix}/lib/libsodium.a
    INTERFACE_INCLUDE_DIRECTORIES ${qz_sodium_prefix}/include
    # The headers must not declare the functions dllimport.
    INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC
    # randombytes uses RtlGenRandom (SystemFunction036).
    INTERFACE_LINK_LIBRARIES advapi32)
endif()
