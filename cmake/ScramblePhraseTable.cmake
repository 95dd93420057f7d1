# Turns the readable phrase table into the stored form the library carries,
# with every text byte complemented, so no phrase is in the binary as plain
# text. FORM=pointer-list writes the C++ source of the pointer list (1.0.0.5);
# FORM=resources writes a resource script of RCDATA "PCOUNT" and "P1".."Pn"
# in language 1033 (1.0.0.1).
# Run as: cmake -DINPUT=<table.txt> -DOUTPUT=<file> [-DFORM=<form>] -P <this>
cmake_minimum_required(VERSION 3.25)

if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DINPUT=table.txt -DOUTPUT=out [-DFORM=pointer-list|resources] -P ScramblePhraseTable.cmake")
endif()
if(NOT FORM)
  set(FORM pointer-list)
endif()
if(FORM STREQUAL "resources")
  # Octal escapes: windres reads them in RCDATA strings, which get no terminator.
  set(escape_format OCTAL)
else()
  set(escape_format HEXADECIMAL)
endif()

file(STRINGS "${INPUT}" lines ENCODING UTF-8)

function(scramble text out)
  string(HEX "${text}" hex)
  string(LENGTH "${hex}" hex_length)
  set(literal "")
  set(i 0)
  while(i LESS hex_length)
    string(SUBSTRING "${hex}" ${i} 2 byte)
    if(byte STREQUAL "ff")
      message(FATAL_ERROR "${INPUT}: the byte 0xFF cannot be stored: '${text}'")
    endif()
    math(EXPR complemented "0xFF ^ 0x${byte}")
    if(escape_format STREQUAL "OCTAL")
      math(EXPR high "${complemented} / 64")
      math(EXPR middle "(${complemented} / 8) % 8")
      math(EXPR low "${complemented} % 8")
      string(APPEND literal "\\${high}${middle}${low}")
    else()
      math(EXPR complemented "${complemented}" OUTPUT_FORMAT HEXADECIMAL)
      string(SUBSTRING "${complemented}" 2 -1 digits)
      string(LENGTH "${digits}" digit_count)
      if(digit_count EQUAL 1)
        set(digits "0${digits}")
      endif()
      string(APPEND literal "\\x${digits}")
    endif()
    math(EXPR i "${i} + 2")
  endwhile()
  set(${out} "${literal}" PARENT_SCOPE)
endfunction()

# Both forms are collected: `body` the pointer list's entries, `resources`
# one RCDATA per group, its strings back to back, each with its zero byte.
set(body "")
set(resources "")
set(in_group FALSE)
set(groups 0)
function(end_group)
  string(APPEND body "    nullptr,\n")
  string(APPEND resources "P${groups} RCDATA { \"${group_bytes}\" }\n")
  set(body "${body}" PARENT_SCOPE)
  set(resources "${resources}" PARENT_SCOPE)
endfunction()
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(line MATCHES "^\t(.+)$")
    if(NOT in_group)
      message(FATAL_ERROR "${INPUT}: an alternate before any phrase: '${CMAKE_MATCH_1}'")
    endif()
    scramble("${CMAKE_MATCH_1}" literal)
    string(APPEND body "    \"${literal}\",\n")
    string(APPEND group_bytes "${literal}\\000")
  else()
    if(NOT line MATCHES "^[A-Za-z0-9]")
      message(FATAL_ERROR "${INPUT}: a phrase must start with an ASCII letter or digit: '${line}'")
    endif()
    if(in_group)
      end_group()
    endif()
    math(EXPR groups "${groups} + 1")
    scramble("${line}" literal)
    string(APPEND body "    // group ${groups}\n    \"${literal}\",\n")
    set(group_bytes "${literal}\\000")
    set(in_group TRUE)
  endif()
endforeach()
if(in_group)
  end_group()
endif()

if(FORM STREQUAL "resources")
  file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from the readable phrase table; do not edit.
LANGUAGE 0x09, 0x01 // English (United States), 1033
PCOUNT RCDATA { ${groups}L }
${resources}")
  file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUTPUT}.tmp")
  return()
endif()

file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from the readable phrase table; do not edit.
#include \"engine/phrase_table.h\"

namespace pelrin {
namespace {
const char* const kPhraseTable[] = {
${body}    nullptr,
};
} // namespace

const char* const* BuiltInPhraseTable() noexcept
{
    return kPhraseTable;
}

} // namespace pelrin
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
