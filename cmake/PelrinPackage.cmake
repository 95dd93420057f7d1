# The release package, made from the x64 build tree: both DLLs (the x86 one
# from the win32 build tree next to it), their type libraries, the header and
# GUIDs generated from the IDL, the examples, README and licence.
set(generated "${PROJECT_BINARY_DIR}/server/generated/server")

install(FILES $<TARGET_FILE:pelrin_dll> "${generated}/pelrin.tlb" DESTINATION x64)
install(FILES "${PELRIN_WIN32_BUILD_DIR}/server/PELRIN.DLL"
              "${PELRIN_WIN32_BUILD_DIR}/server/generated/server/pelrin.tlb"
        DESTINATION x86)
install(FILES "${generated}/pelrin.h" "${generated}/pelrin_i.c" "${PROJECT_SOURCE_DIR}/server/pelrin.idl"
        DESTINATION include)
install(FILES examples/match_word.vbs examples/match_word.js examples/match_word.cpp
        DESTINATION examples)
install(FILES README.md LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Pelrin)
set(CPACK_PACKAGE_VENDOR "The Pelrin developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "Pelrin-${PROJECT_VERSION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
