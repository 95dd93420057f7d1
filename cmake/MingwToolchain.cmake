# Shared part of the mingw-w64 toolchains; PELRIN_TRIPLET is set by the caller.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PELRIN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELRIN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PELRIN_TRIPLET}-windres)
set(PELRIN_WIDL ${PELRIN_TRIPLET}-widl CACHE FILEPATH "IDL compiler")
set(PELRIN_OBJDUMP ${PELRIN_TRIPLET}-objdump CACHE FILEPATH "objdump for PE checks")

set(CMAKE_FIND_ROOT_PATH /usr/${PELRIN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links the C/C++ runtimes and winpthread statically, so the DLL
# and the test programs depend on system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
