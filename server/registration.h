#pragma once
// Self-registration helpers: the library's path as registration writes and
// loads it, and the registration of the type library the library carries.

#include <windows.h>

#include <string>

namespace pelrin {

// A module path that the narrow registration path can carry unchanged.
struct RegistrationPath {
    std::wstring wide;
    std::string ansi; // the same path in the ANSI code page
};

// Checks a full module path for registration. Registration works on the path
// in the ANSI code page with a buffer of MAX_PATH characters, so a path that
// does not fit (HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)) or that the
// code page cannot represent exactly (HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION))
// would be registered as the path of some other file: refuse both.
HRESULT CheckRegistrationPath(const std::wstring& wide, RegistrationPath& path) noexcept;

// The full path of a loaded module, checked as above.
HRESULT GetRegistrationPath(HMODULE module, RegistrationPath& path) noexcept;

// Where the type library is looked for when the module itself offers none:
// the file name's extension replaced by ".tlb" (appended when it has none).
std::string TypeLibraryFallbackPath(const std::string& ansiPath);

// The help directory of a type library file: its path up to and including the
// last "\", "/" or ":" (empty when there is none).
std::string HelpDirectoryOf(const std::string& ansiPath);

// Loads the type library of the module file (its TYPELIB 1, or the ".tlb"
// beside it) and registers it with its help directory, and its file under
// locale 0 as well (see server/type_library_key.h). The result is that of the
// last call made: the second LoadTypeLib when neither loads, else
// RegisterTypeLib, else the write of the locale-0 key.
HRESULT RegisterTypeLibraryOf(HMODULE module) noexcept;

} // namespace pelrin
