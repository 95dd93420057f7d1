#pragma once
// What depends on the bitness of this test program, and so of the PELRIN.DLL
// it loads: the type library's target system, the TypeLib subkey it is
// registered under, and the registry view its classes are written to.

#include <windows.h>
#include <oaidl.h>

namespace pelrin::test {

constexpr bool k64Bit = sizeof(void*) == 8;
constexpr SYSKIND kSysKind = k64Bit ? SYS_WIN64 : SYS_WIN32;
constexpr const char* kTypeLibPlatform = k64Bit ? "win64" : "win32";
constexpr const char* kOtherTypeLibPlatform = k64Bit ? "win32" : "win64";
constexpr REGSAM kRegistryView = k64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

} // namespace pelrin::test
