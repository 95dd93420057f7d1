#pragma once
// Conversions between the BSTRs of the interface and the narrow strings of the
// ANSI code page that the engine works on. Both report failures as HRESULTs
// (E_OUTOFMEMORY when memory runs out) and never throw.

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace pelrin {

// The characters of `text` before its first NUL, converted; characters the
// code page cannot represent become its default character. A null BSTR gives
// the empty string. On failure `narrow` is empty.
HRESULT BstrToNarrow(BSTR text, std::string& narrow, UINT codePage = CP_ACP) noexcept;

// The bytes of `narrow` before its first zero byte as a new BSTR (the
// caller's), or null with the failure code.
HRESULT NarrowToBstr(const std::string& narrow, BSTR* text, UINT codePage = CP_ACP) noexcept;

} // namespace pelrin
