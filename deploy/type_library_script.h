#pragma once
// What registering a type library writes (RegisterTypeLib and the locale-0
// key, as DllRegisterServer writes them), as a registry script: the library's
// key with the path of this bitness's file under its locale and under locale
// 0, its flags and help folder, and each automation interface with the
// marshaler that reads the library. The installer writes it from its Registry
// table like the class's entries, so it lands where they do, per machine or
// per user, and leaves with them.

#include "deploy/idl_identities.h"

#include <string>

namespace pelrin::deploy {

// %MODULE% stands for the file holding the library, %HELPDIR% for its folder.
std::string TypeLibraryScript(const IdlIdentities& idl, bool win64);

} // namespace pelrin::deploy
