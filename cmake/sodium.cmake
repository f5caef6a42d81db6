# libsodium for the strong (".age") format: Debian's libsodium-dev for native builds.
# The Windows build compiles Debian's own source package for mingw (see below).
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
  add_library(qz_sodium INTERFACE)
  target_link_libraries(qz_sodium INTERFACE PkgConfig::SODIUM)
endif()
