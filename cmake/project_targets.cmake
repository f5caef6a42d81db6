# Build rules for the project's own targets, as against the GoogleTest sources that the
# test trees compile beside them.

# Warnings are errors in our code only where we build it for ourselves (scripts/test.sh):
# a user's or a packager's newer compiler may warn where ours did not, and must still
# build. GoogleTest's sources are Debian's: a new warning there never breaks a build.
option(QZ_WARNINGS_AS_ERRORS "Treat warnings in the project's own code as errors" OFF)
add_library(qz_warnings INTERFACE)
target_compile_options(qz_warnings INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra>)
if(QZ_WARNINGS_AS_ERRORS)
  target_compile_options(qz_warnings INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-Werror>)
endif()

# Links qz_warnings into every compiled target defined in DIR or below it, as long as the
# folder is part of this source tree. Called once, after every add_subdirectory, so that a
# new target cannot miss it.
function(qz_link_warnings dir)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_link_libraries(${target} PRIVATE qz_warnings)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${sub}" NORMALIZE ours)
    if(ours)
      qz_link_warnings("${sub}")
    endif()
  endforeach()
endfunction()

# What ships carries no symbols or debug information (4.7 MB against 0.4 MB for
# Lockmere.exe); a Debug build keeps them.
function(qz_strip_shipped target)
  target_link_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-s>)
endfunction()
