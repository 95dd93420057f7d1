#include "server/error_info.h"

#include "base/com_ptr.h"

#include <oleauto.h>

namespace pelrin {

void SetComError(REFGUID iid, const wchar_t* source, const wchar_t* description) noexcept
{
    ComPtr<ICreateErrorInfo> created;
    if (FAILED(CreateErrorInfo(created.addressof())))
        return;
    // The setters take non-const strings but copy them.
    created->SetGUID(iid);
    created->SetSource(const_cast<LPOLESTR>(source));
    created->SetDescription(const_cast<LPOLESTR>(description));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(created->QueryInterface(IID_IErrorInfo, info.addressofVoid())))
        SetErrorInfo(0, info.get());
}

} // namespace pelrin
