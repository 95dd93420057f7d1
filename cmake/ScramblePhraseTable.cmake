# Turns the readable phrase table into the pointer-list C++ source the library
# carries, with every text byte complemented, so no phrase is in the binary as
# plain text. Run as: cmake -DINPUT=<table.txt> -DOUTPUT=<file.cpp> -P <this>
cmake_minimum_required(VERSION 3.25)

if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DINPUT=table.txt -DOUTPUT=table.cpp -P ScramblePhraseTable.cmake")
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
    math(EXPR complemented "0xFF ^ 0x${byte}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${complemented}" 2 -1 digits)
    string(LENGTH "${digits}" digit_count)
    if(digit_count EQUAL 1)
      set(digits "0${digits}")
    endif()
    string(APPEND literal "\\x${digits}")
    math(EXPR i "${i} + 2")
  endwhile()
  set(${out} "\"${literal}\"" PARENT_SCOPE)
endfunction()

set(body "")
set(in_group FALSE)
set(groups 0)
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(line MATCHES "^\t(.+)$")
    if(NOT in_group)
      message(FATAL_ERROR "${INPUT}: an alternate before any phrase: '${CMAKE_MATCH_1}'")
    endif()
    scramble("${CMAKE_MATCH_1}" literal)
    string(APPEND body "    ${literal},\n")
  else()
    if(NOT line MATCHES "^[A-Za-z0-9]")
      message(FATAL_ERROR "${INPUT}: a phrase must start with an ASCII letter or digit: '${line}'")
    endif()
    if(in_group)
      string(APPEND body "    nullptr,\n")
    endif()
    math(EXPR groups "${groups} + 1")
    scramble("${line}" literal)
    string(APPEND body "    // group ${groups}\n    ${literal},\n")
    set(in_group TRUE)
  endif()
endforeach()
if(in_group)
  string(APPEND body "    nullptr,\n")
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
