# Windows test programs run under Wine of the build's own bitness, in a prefix
# private to this build tree, created on first use. Nothing outside the build
# tree is touched. The bitness follows the toolchain's processor, so any build
# tree of the i686 toolchain gets the 32-bit runner.
#
# 32-bit Wine runs here only under qemu-i386 user-mode emulation (started
# through binfmt_misc, see scripts/setup.sh). The emulator needs one mend,
# preloaded into every Wine process by name from a library path ending in $LIB,
# which the loader expands to its own library folder: the i386 library fills
# in the trap number of fault signals, its x86_64 twin is empty. 64-bit
# prefixes get it too, for the 32-bit programs they start from syswow64.
# LD_PRELOAD splits at spaces, LD_LIBRARY_PATH only at colons: hence the
# name alone in the one and the build tree's path in the other.
set(PELRIN_WINE_ROOT "${CMAKE_BINARY_DIR}/wine")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(PELRIN_WINE_LOADER /usr/lib/wine/wine64)
  set(PELRIN_WINE_ARCH win64)
else()
  set(PELRIN_WINE_LOADER /usr/lib/wine/wine)
  set(PELRIN_WINE_ARCH win32)
endif()

set(preload_dir "${CMAKE_BINARY_DIR}/emulator")
set(preload_name libpelrin_trap_number.so)
set(preload_source "${PROJECT_SOURCE_DIR}/tests/support/emulator_trap_number.c")
set(preload_files)
foreach(compiler_and_lib "gcc;x86_64-linux-gnu" "i686-linux-gnu-gcc;i386-linux-gnu")
  list(GET compiler_and_lib 0 compiler)
  list(GET compiler_and_lib 1 lib)
  set(file "${preload_dir}/lib/${lib}/${preload_name}")
  add_custom_command(OUTPUT "${file}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${preload_dir}/lib/${lib}"
    COMMAND ${compiler} -std=c11 -O2 -Wall -Wextra -Werror -shared -fPIC -o "${file}" "${preload_source}" -ldl
    DEPENDS "${preload_source}"
    VERBATIM)
  list(APPEND preload_files "${file}")
endforeach()
# The demo builds it on its own; the tests need it built with them.
if(PELRIN_BUILD_TESTS)
  set(preload_all ALL)
else()
  set(preload_all)
endif()
add_custom_target(pelrin_emulator_preload ${preload_all} DEPENDS ${preload_files})
set(PELRIN_WINE_PRELOAD "${preload_name}")
set(PELRIN_WINE_PRELOAD_PATH "${preload_dir}/$LIB")

configure_file("${PROJECT_SOURCE_DIR}/tests/support/wine-run.sh.in"
               "${CMAKE_BINARY_DIR}/wine-run" @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(PELRIN_WINE_RUN "${CMAKE_BINARY_DIR}/wine-run")
set(CMAKE_CROSSCOMPILING_EMULATOR "${PELRIN_WINE_RUN}")
