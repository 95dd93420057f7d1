#include "base/string_conversion.h"

#include "base/last_error_win.h"
#include "base/win_owners.h"

#include <climits>
#include <cwchar>
#include <new>

namespace pelrin {
HRESULT BstrToNarrow(BSTR text, std::string& narrow, UINT codePage) noexcept
{
    narrow.clear();
    if (text == nullptr)
        return S_OK;
    // The stored length bounds the search, so the conversion never reads past
    // the BSTR even if its terminator were missing.
    const UINT stored = SysStringLen(text);
    const wchar_t* nul = std::wmemchr(text, L'\0', stored);
    const std::size_t length = nul != nullptr ? static_cast<std::size_t>(nul - text) : stored;
    if (length == 0)
        return S_OK;
    if (length > static_cast<std::size_t>(INT_MAX))
        return E_OUTOFMEMORY;
    const int wideLength = static_cast<int>(length);

    // Sized by the conversion itself: a character may take more than two
    // bytes (three in UTF-8), so no fixed ratio of characters is safe.
    const int needed = WideCharToMultiByte(codePage, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return LastErrorAsHresult();
    try {
        narrow.resize(static_cast<std::size_t>(needed));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const int written =
        WideCharToMultiByte(codePage, 0, text, wideLength, narrow.data(), needed, nullptr, nullptr);
    if (written != needed) {
        const HRESULT hr = LastErrorAsHresult();
        narrow.clear();
        return hr;
    }
    return S_OK;
}

HRESULT NarrowToBstr(const std::string& narrow, BSTR* text, UINT codePage) noexcept
{
    *text = nullptr;
    // Both counts include the terminating zero.
    const int needed = MultiByteToWideChar(codePage, 0, narrow.c_str(), -1, nullptr, 0);
    if (needed <= 0)
        return LastErrorAsHresult();
    UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(needed - 1)));
    if (!result)
        return E_OUTOFMEMORY;
    const int written = MultiByteToWideChar(codePage, 0, narrow.c_str(), -1, result.get(), needed);
    if (written != needed)
        return LastErrorAsHresult();
    *text = result.release();
    return S_OK;
}

} // namespace pelrin
