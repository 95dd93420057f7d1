#pragma once
// Conversions shared by the error record and its dialog (Windows only).

#include "base/win_owners.h"

#include <string>

namespace pelrin {

// The narrow text as a new BSTR, converted from the given code page (the ANSI
// code page by default) with precomposed characters; null when it fails.
UniqueBstr AnsiToBstr(const char* text, UINT codePage = GetACP()) noexcept;

// A wide text (length in characters) as narrow text of the ANSI code page.
std::string WideToAnsi(const wchar_t* text, std::size_t length);

} // namespace pelrin
