#pragma once
// Publishing a failure as the calling thread's COM error information.

#include <windows.h>

namespace pelrin {

// Installs an error object with the interface identifier, source and
// description given, no help file and help context 0. Best effort: a failure
// to make the object leaves the thread's error information as it was.
void SetComError(REFGUID iid, const wchar_t* source, const wchar_t* description) noexcept;

} // namespace pelrin
