# The release package, made from the x64 build tree: both DLLs (the x86 one
# from the win32 build tree next to it), their type libraries, this version's
# IDL with the header and GUIDs generated from it, the examples, the users'
# README and the licence; and in a folder of their own the two DLLs of version
# 1.0.0.1, for its clients, from the win64-1001 and win32-1001 build trees.
set(PELRIN_WIN64_1001_BUILD_DIR "${PROJECT_SOURCE_DIR}/build/win64-1001" CACHE PATH
    "Build tree of the x86_64 DLL of version 1.0.0.1 that the package takes")
set(PELRIN_WIN32_1001_BUILD_DIR "${PROJECT_SOURCE_DIR}/build/win32-1001" CACHE PATH
    "Build tree of the i686 DLL of version 1.0.0.1 that the package takes")
set(generated "${PROJECT_BINARY_DIR}/server/generated/server")

install(FILES $<TARGET_FILE:pelrin_dll> "${generated}/pelrin.tlb" DESTINATION x64)
install(FILES "${PELRIN_WIN32_BUILD_DIR}/server/PELRIN.DLL"
              "${PELRIN_WIN32_BUILD_DIR}/server/generated/server/pelrin.tlb"
        DESTINATION x86)
foreach(bitness x64 x86)
  if(bitness STREQUAL "x64")
    set(tree "${PELRIN_WIN64_1001_BUILD_DIR}")
  else()
    set(tree "${PELRIN_WIN32_1001_BUILD_DIR}")
  endif()
  install(FILES "${tree}/server/PELRIN.DLL" "${tree}/server/generated/server/pelrin.tlb"
          DESTINATION 1.0.0.1/${bitness})
endforeach()
install(FILES "${generated}/pelrin.h" "${generated}/pelrin_i.c" "${generated}/pelrin.idl"
        DESTINATION include)
install(FILES examples/match_word.vbs examples/match_word.js examples/match_word.cpp examples/which_engine.vbs
        DESTINATION examples)
# pelrin-check of each bitness beside its DLL (it falls back to registration-free
# use there), and the VBScript version with the sample text.
install(PROGRAMS $<TARGET_FILE:pelrin_check> DESTINATION x64)
install(PROGRAMS "${PELRIN_WIN32_BUILD_DIR}/check/pelrin-check.exe" DESTINATION x86)
install(FILES examples/check_text.vbs examples/sample.txt DESTINATION examples)
install(FILES deploy/user_readme.md DESTINATION . RENAME README.md)
install(FILES LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Pelrin)
set(CPACK_PACKAGE_VENDOR "The Pelrin developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "Pelrin-${PROJECT_VERSION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
