# The library's version: one cache variable, PELRIN_VERSION, chooses 1.0.0.5
# (the current release) or 1.0.0.1 (the earlier one, still built for its
# clients). It becomes the header "base/release.h" of constexpr facts that the
# code reads where each behaviour lives.
set(PELRIN_VERSION "1.0.0.5" CACHE STRING "Version of PELRIN.DLL to build: 1.0.0.5 or 1.0.0.1")
set_property(CACHE PELRIN_VERSION PROPERTY STRINGS 1.0.0.5 1.0.0.1)
if(NOT PELRIN_VERSION MATCHES "^1\\.0\\.0\\.[15]$")
  message(FATAL_ERROR "PELRIN_VERSION must be 1.0.0.5 or 1.0.0.1, not '${PELRIN_VERSION}'")
endif()

# pelrin_release_library(<version> <target>): an interface library whose
# include path holds the header of that version.
function(pelrin_release_library version target)
  string(REGEX REPLACE "^.*\\." "" build_number "${version}")
  if(build_number EQUAL 1)
    set(PELRIN_BOOL_1001 true)
    set(PELRIN_BOOL_1005 false)
    set(PELRIN_SETTINGS_FILE_MACRO 0)
  else()
    set(PELRIN_BOOL_1001 false)
    set(PELRIN_BOOL_1005 true)
    set(PELRIN_SETTINGS_FILE_MACRO 1)
  endif()
  set(PELRIN_RELEASE_VERSION "${version}")
  set(dir "${PROJECT_BINARY_DIR}/generated/release-${version}")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/release.h.in" "${dir}/base/release.h" @ONLY)
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE "${dir}")
endfunction()

pelrin_release_library(${PELRIN_VERSION} pelrin_release)
string(REGEX REPLACE "^.*\\." "" PELRIN_BUILD_NUMBER "${PELRIN_VERSION}")
if(PELRIN_VERSION STREQUAL "1.0.0.1")
  set(PELRIN_1001 TRUE)
else()
  set(PELRIN_1001 FALSE)
endif()

# The host builds also compile the Windows-free code of the other version, so
# that its differing rules are unit-tested natively too. PELRIN_RELEASE_VARIANTS
# lists the target suffixes: "-" for the configured version (no suffix),
# "_1001" for the other one on the host. Loops turn "-" back into "" with
# pelrin_variant_suffix.
set(PELRIN_RELEASE_VARIANTS "-")
if(NOT WIN32 AND NOT PELRIN_1001)
  pelrin_release_library(1.0.0.1 pelrin_release_1001)
  list(APPEND PELRIN_RELEASE_VARIANTS _1001)
endif()

macro(pelrin_variant_suffix variant out)
  if("${variant}" STREQUAL "-")
    set(${out} "")
  else()
    set(${out} "${variant}")
  endif()
endmacro()
