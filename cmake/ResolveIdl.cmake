# Writes the IDL of one version: server/pelrin.idl with its one condition,
# the block "#if PELRIN_SETTINGS_FILE" ... "#endif", kept (SETTINGS_FILE=1)
# or dropped (0), and the directive lines gone. widl compiles this file and
# the package ships it, so a user's IDL compiler needs no definitions to get
# the interface of the DLL beside it.
# Run as: cmake -DINPUT=<pelrin.idl> -DOUTPUT=<file> -DSETTINGS_FILE=<0|1> -P <this>
cmake_minimum_required(VERSION 3.25)

if(NOT INPUT OR NOT OUTPUT OR NOT SETTINGS_FILE MATCHES "^[01]$")
  message(FATAL_ERROR "usage: cmake -DINPUT=x.idl -DOUTPUT=out.idl -DSETTINGS_FILE=0|1 -P ResolveIdl.cmake")
endif()
file(READ "${INPUT}" idl)
set(block "#if PELRIN_SETTINGS_FILE[^\n]*\n([^#]*)#endif[^\n]*\n")
if(NOT idl MATCHES "${block}")
  message(FATAL_ERROR "${INPUT}: no \"#if PELRIN_SETTINGS_FILE\" block to resolve")
endif()
if(SETTINGS_FILE)
  string(REGEX REPLACE "${block}" "\\1" idl "${idl}")
else()
  string(REGEX REPLACE "${block}" "" idl "${idl}")
endif()
if(idl MATCHES "(^|\n)#")
  message(FATAL_ERROR "${INPUT}: a preprocessor line is left after resolving")
endif()
file(WRITE "${OUTPUT}" "${idl}")
