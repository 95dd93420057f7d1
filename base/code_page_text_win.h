#pragma once
// Text conversion between a code page (the ANSI one unless told) and UTF-16.
// Windows only. Characters a code page cannot represent become its default
// character unless the conversion is asked to be exact. An empty text
// converts to an empty one. Functions that give an HRESULT report a failed
// conversion with the system's error and running out of memory with
// E_OUTOFMEMORY, and never throw.

#include "base/win_owners.h"

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace pelrin {

// Whether a character the code page lacks may become a look-alike or the
// default character (Lossy), or fails the conversion (Exact).
enum class Fit { Lossy, Exact };

// Every character of `text`, embedded NULs included. Exact fails with
// ERROR_NO_UNICODE_TRANSLATION; in UTF-8, where every character fits, it is
// the same as Lossy. On failure `narrow` is empty.
HRESULT WideToCodePage(std::wstring_view text, std::string& narrow, UINT codePage = CP_ACP,
                       Fit fit = Fit::Lossy) noexcept;

// Every byte of `text`, embedded zero bytes included. On failure `wide` is
// empty.
HRESULT CodePageToWide(std::string_view text, std::wstring& wide, UINT codePage = CP_ACP) noexcept;

// The characters of `text` before its first NUL, converted. A null BSTR gives
// the empty string.
HRESULT BstrToNarrow(BSTR text, std::string& narrow, UINT codePage = CP_ACP) noexcept;

// The bytes of `narrow` before its first zero byte as a new BSTR (the
// caller's), or null with the failure code.
HRESULT NarrowToBstr(const std::string& narrow, BSTR* text, UINT codePage = CP_ACP) noexcept;

// For texts shown to people (error records and their dialog): converted with
// precomposed characters where the code page allows them, and null when the
// conversion fails.
UniqueBstr AnsiToBstr(const char* text, UINT codePage = GetACP()) noexcept;

// A wide text (length in characters, NULs included; at most INT_MAX are
// taken) in the ANSI code page; empty when the conversion fails. Throws
// std::bad_alloc.
std::string WideToAnsi(const wchar_t* text, std::size_t length);

} // namespace pelrin
