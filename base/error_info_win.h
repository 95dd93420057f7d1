#pragma once
// Publishing a failure as the calling thread's COM error information, the
// object a caller reads with GetErrorInfo. Windows only.

#include "base/com_ptr.h"

#include <windows.h>
#include <oleauto.h>

namespace pelrin {

// Installs an error object with the interface identifier, source and
// description given, no help file and help context 0. False when the object
// cannot be made; the thread's error information is then as it was.
inline bool PublishErrorInfo(REFGUID iid, const wchar_t* source, const wchar_t* description) noexcept
{
    ComPtr<ICreateErrorInfo> creator;
    if (FAILED(CreateErrorInfo(creator.addressof())) || !creator)
        return false;
    // The setters take non-const strings but copy them.
    creator->SetGUID(iid);
    creator->SetSource(const_cast<LPOLESTR>(source));
    creator->SetDescription(const_cast<LPOLESTR>(description));
    ComPtr<IErrorInfo> info;
    if (FAILED(creator->QueryInterface(IID_IErrorInfo, info.addressofVoid())) || !info)
        return false;
    // The thread's error slot takes its own reference.
    SetErrorInfo(0, info.get());
    return true;
}

} // namespace pelrin
