#include "base/code_page_text_win.h"

#include "base/last_error_win.h"

#include <climits>
#include <cwchar>
#include <new>

namespace pelrin {
namespace {

// Converts `text` into the buffer that allocate(length) returns (null when
// memory runs out). Wine and Windows refuse MB_PRECOMPOSED for some code
// pages (UTF-8 among them); those convert without it.
template <typename Allocate>
HRESULT ToWide(std::string_view text, UINT codePage, DWORD flags, Allocate allocate) noexcept
{
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        return E_INVALIDARG;
    const int length = static_cast<int>(text.size());
    if (length == 0)
        return allocate(0) != nullptr ? S_OK : E_OUTOFMEMORY;
    int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (needed == 0 && (flags & MB_PRECOMPOSED) != 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags &= ~static_cast<DWORD>(MB_PRECOMPOSED);
        needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    }
    if (needed <= 0)
        return LastErrorAsHresult();
    wchar_t* const out = allocate(needed);
    if (out == nullptr)
        return E_OUTOFMEMORY;
    if (MultiByteToWideChar(codePage, flags, text.data(), length, out, needed) != needed)
        return LastErrorAsHresult();
    return S_OK;
}

HRESULT ToBstr(std::string_view text, UINT codePage, DWORD flags, UniqueBstr& result) noexcept
{
    // SysAllocStringLen adds the terminator itself.
    return ToWide(text, codePage, flags, [&](int length) {
        result.reset(SysAllocStringLen(nullptr, static_cast<UINT>(length)));
        return result.get();
    });
}

} // namespace

HRESULT WideToCodePage(std::wstring_view text, std::string& narrow, UINT codePage, Fit fit) noexcept
{
    narrow.clear();
    if (text.empty())
        return S_OK;
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        return E_INVALIDARG;
    const int wideLength = static_cast<int>(text.size());

    // Best-fit mapping would turn a character the code page lacks into a
    // look-alike (U+0100 into "A"). UTF-8 takes neither the flag nor the
    // used-default output.
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    const bool exact = fit == Fit::Exact && !utf8;
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultOut = exact ? &usedDefault : nullptr;

    // Sized by the conversion itself: a character may take more than two
    // bytes (three in UTF-8), so no fixed ratio of characters is safe.
    const int needed =
        WideCharToMultiByte(codePage, flags, text.data(), wideLength, nullptr, 0, nullptr, usedDefaultOut);
    if (needed <= 0)
        return LastErrorAsHresult();
    try {
        narrow.resize(static_cast<std::size_t>(needed));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = S_OK;
    if (WideCharToMultiByte(codePage, flags, text.data(), wideLength, narrow.data(), needed, nullptr,
                            usedDefaultOut) != needed)
        hr = LastErrorAsHresult();
    else if (usedDefault)
        hr = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    if (FAILED(hr))
        narrow.clear();
    return hr;
}

HRESULT CodePageToWide(std::string_view text, std::wstring& wide, UINT codePage) noexcept
{
    wide.clear();
    const HRESULT hr = ToWide(text, codePage, 0, [&](int length) -> wchar_t* {
        try {
            wide.resize(static_cast<std::size_t>(length));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        return wide.data();
    });
    if (FAILED(hr))
        wide.clear();
    return hr;
}

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
    if (length > static_cast<std::size_t>(INT_MAX))
        return E_OUTOFMEMORY;
    return WideToCodePage(std::wstring_view(text, length), narrow, codePage);
}

HRESULT NarrowToBstr(const std::string& narrow, BSTR* text, UINT codePage) noexcept
{
    *text = nullptr;
    UniqueBstr result;
    const HRESULT hr = ToBstr(narrow.c_str(), codePage, 0, result);
    if (SUCCEEDED(hr))
        *text = result.release();
    return hr;
}

UniqueBstr AnsiToBstr(const char* text, UINT codePage) noexcept
{
    UniqueBstr result;
    if (text == nullptr || FAILED(ToBstr(text, codePage, MB_PRECOMPOSED, result)))
        return UniqueBstr();
    return result;
}

std::string WideToAnsi(const wchar_t* text, std::size_t length)
{
    std::string narrow;
    const std::size_t taken = length < static_cast<std::size_t>(INT_MAX) ? length : INT_MAX;
    if (WideToCodePage(std::wstring_view(text, taken), narrow) == E_OUTOFMEMORY)
        throw std::bad_alloc();
    return narrow;
}

} // namespace pelrin
