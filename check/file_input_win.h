#pragma once
// Reading a whole input of pelrin-check. Windows only.

#include <windows.h>

#include <string>

namespace pelrin::check {

// Appends the bytes of a file, or of standard input for "-", to `bytes`.
// 0, or the Windows error code (ERROR_DIRECTORY for a folder,
// ERROR_NOT_ENOUGH_MEMORY when the input does not fit).
DWORD ReadInput(const std::wstring& file, std::string& bytes);

} // namespace pelrin::check
