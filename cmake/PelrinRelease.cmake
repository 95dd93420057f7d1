# The library's version: one cache variable, PELRIN_VERSION, chooses 1.0.0.5
# (the current release) or 1.0.0.1 (the earlier one, still built for its
# clients). Each behaviour that differs between them is one fact below,
# derived from the version here and nowhere else; the build picks sources,
# IDL and resource flags by the facts, and the header "base/release.h" gives
# the code the ones it tests.
set(PELRIN_VERSION "1.0.0.5" CACHE STRING "Version of PELRIN.DLL to build: 1.0.0.5 or 1.0.0.1")
set_property(CACHE PELRIN_VERSION PROPERTY STRINGS 1.0.0.5 1.0.0.1)
if(NOT PELRIN_VERSION MATCHES "^1\\.0\\.0\\.[15]$")
  message(FATAL_ERROR "PELRIN_VERSION must be 1.0.0.5 or 1.0.0.1, not '${PELRIN_VERSION}'")
endif()

# pelrin_release_facts(<version>): sets the facts of that version in the
# caller's scope, each ON or OFF.
function(pelrin_release_facts version)
  if(version STREQUAL "1.0.0.1")
    set(earlier ON)
    set(later OFF)
  else()
    set(earlier OFF)
    set(later ON)
  endif()
  # The phrase table lives in numbered RCDATA resources ("PCOUNT", "P1".."Pn")
  # rather than a pointer list compiled into the library.
  set(PELRIN_TABLE_IN_RESOURCES ${earlier} PARENT_SCOPE)
  # Messages are checkpoints under the process-wide trace level; without it
  # each operation sends its own line whatever the level.
  set(PELRIN_TRACE_LEVEL ${later} PARENT_SCOPE)
  # Words and ignored phrases need an ASCII letter or digit as first byte.
  set(PELRIN_LETTER_OR_DIGIT_FIRST_BYTE ${later} PARENT_SCOPE)
  # MatchWord answers a word whose phrases are all ignored with an empty
  # array; without it, with VT_NULL.
  set(PELRIN_EMPTIED_WORD_IS_EMPTY_ARRAY ${later} PARENT_SCOPE)
  # MatchWord publishes a COM error object when it cannot clear its result.
  set(PELRIN_MATCH_WORD_ERROR_OBJECT ${earlier} PARENT_SCOPE)
  # SaveIgnoredPhrases and LoadIgnoredPhrases, and the settings file behind them.
  set(PELRIN_SETTINGS_FILE ${later} PARENT_SCOPE)
  # Self-registration through the system's registrar component instead of
  # the library's own registry script interpreter.
  set(PELRIN_SYSTEM_REGISTRAR ${earlier} PARENT_SCOPE)
  # The library carries the error-report facility (records and their dialog).
  set(PELRIN_ERROR_REPORTS ${earlier} PARENT_SCOPE)
  # The DLL's version block is flagged as a debug build and marks the DLL as
  # self-registering with an empty "OLESelfRegister" value.
  set(PELRIN_DEBUG_SELF_REGISTER_BLOCK ${earlier} PARENT_SCOPE)
endfunction()

# pelrin_release_library(<version> <target>): an interface library whose
# include path holds the header of that version.
function(pelrin_release_library version target)
  pelrin_release_facts(${version})
  # The header's constants are spelt true or false.
  foreach(fact TABLE_IN_RESOURCES TRACE_LEVEL LETTER_OR_DIGIT_FIRST_BYTE EMPTIED_WORD_IS_EMPTY_ARRAY
               MATCH_WORD_ERROR_OBJECT)
    if(PELRIN_${fact})
      set(PELRIN_${fact}_BOOL true)
    else()
      set(PELRIN_${fact}_BOOL false)
    endif()
  endforeach()
  set(PELRIN_RELEASE_VERSION "${version}")
  set(dir "${PROJECT_BINARY_DIR}/generated/release-${version}")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/release.h.in" "${dir}/base/release.h" @ONLY)
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE "${dir}")
endfunction()

pelrin_release_facts(${PELRIN_VERSION})
pelrin_release_library(${PELRIN_VERSION} pelrin_release)
# The last number of the version, which the DLL's version block spells out.
string(REGEX REPLACE "^.*\\." "" PELRIN_BUILD_NUMBER "${PELRIN_VERSION}")
# What the 1.0.0.1 builds leave out that is no behaviour of the library: the
# deployment, pelrin-check and the tests of what both versions share.
if(PELRIN_VERSION STREQUAL "1.0.0.1")
  set(PELRIN_1001 TRUE)
else()
  set(PELRIN_1001 FALSE)
endif()

# The host builds also compile the Windows-free code of the other version, so
# that its differing rules are unit-tested natively too. PELRIN_RELEASE_VARIANTS
# lists the target suffixes: "-" for the configured version (no suffix),
# "_1001" for the other one on the host. Loops turn "-" back into "" with
# pelrin_variant_suffix, and the variant's version with pelrin_variant_version.
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

# pelrin_variant_version(<suffix> <out>): the version a variant suffix
# ("" or "_1001") builds.
function(pelrin_variant_version suffix out)
  if("${suffix}" STREQUAL "_1001")
    set(${out} 1.0.0.1 PARENT_SCOPE)
  else()
    set(${out} ${PELRIN_VERSION} PARENT_SCOPE)
  endif()
endfunction()

# pelrin_program_version(<rc source>): the version of a program's version
# block (base/program_version.rc), given to its resource script.
function(pelrin_program_version source)
  string(REPLACE "." "," commas "${PROJECT_VERSION}")
  set_property(SOURCE ${source} APPEND PROPERTY COMPILE_DEFINITIONS
    PELRIN_VERSION_COMMAS=${commas} PELRIN_VERSION_DOTS=${PROJECT_VERSION})
  set_property(SOURCE ${source} APPEND PROPERTY OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/base/program_version.rc")
endfunction()
