#include "server/string_array_result.h"

#include "base/code_page_text_win.h"

#include <climits>

namespace pelrin {

HRESULT ClearToNull(VARIANT* out) noexcept
{
    if (out == nullptr)
        return E_POINTER;
    const HRESULT hr = VariantClear(out);
    if (FAILED(hr))
        return hr;
    V_VT(out) = VT_NULL;
    return S_OK;
}

HRESULT StringArrayBuilder::Create(std::size_t count) noexcept
{
    if (count > static_cast<std::size_t>(LONG_MAX))
        return E_UNEXPECTED;
    SAFEARRAYBOUND bound{};
    bound.cElements = static_cast<ULONG>(count);
    bound.lLbound = 0;
    m_array.reset(SafeArrayCreate(VT_VARIANT, 1, &bound));
    return m_array ? S_OK : E_UNEXPECTED;
}

HRESULT StringArrayBuilder::Put(LONG index, const std::string& text) noexcept
{
    UniqueVariant element;
    VARIANT* value = element.addressof();
    BSTR converted = nullptr;
    const HRESULT hr = NarrowToBstr(text, &converted);
    if (FAILED(hr))
        return hr;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = converted;
    // The array keeps its own copy; `element` frees ours.
    return SafeArrayPutElement(m_array.get(), &index, value);
}

void StringArrayBuilder::HandTo(VARIANT* out) noexcept
{
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = m_array.release();
}

} // namespace pelrin
