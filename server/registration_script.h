#pragma once
// Runs the library's registry script, resource 101 of type "REGISTRY" in the
// module file, with the placeholder "Module" standing for that file's path,
// in register mode, or in unregister mode. Unregistering removes keys by name
// and writes no value, so it needs no path that registration would accept: a
// copy the code page cannot name, or with a path of MAX_PATH or more, is
// unregistered too. Version 1.0.0.5 runs it with the library's
// own interpreter (registration_script_interpreter_win.cpp), 1.0.0.1 with the
// system's registrar component (registration_script_registrar_win.cpp); the
// build links one of the two.

#include <windows.h>

namespace pelrin {

HRESULT RunRegistrationScript(const wchar_t* modulePath) noexcept;
HRESULT RunUnregistrationScript(HMODULE module) noexcept;

} // namespace pelrin
