# Windows test programs run under 64-bit Wine, in a prefix private to this
# build tree, created on first use. Nothing outside the build tree is touched.
set(PELRIN_WINE_ROOT "${CMAKE_BINARY_DIR}/wine")
configure_file("${PROJECT_SOURCE_DIR}/tests/support/wine-run.sh.in"
               "${CMAKE_BINARY_DIR}/wine-run" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(PELRIN_WINE_RUN "${CMAKE_BINARY_DIR}/wine-run")
set(CMAKE_CROSSCOMPILING_EMULATOR "${PELRIN_WINE_RUN}")
