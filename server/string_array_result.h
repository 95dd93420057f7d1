#pragma once
// The one encoding in which the interface returns a list of strings: a VARIANT
// of type VT_ARRAY | VT_VARIANT holding a one-dimensional array with lower
// bound 0 whose elements are VT_BSTR; or VT_NULL for no list.

#include "base/win_owners.h"

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

namespace pelrin {

// Frees what `out` holds and leaves it VT_NULL. On failure (a null pointer, or
// content that cannot be freed, such as a locked array) `out` is untouched.
HRESULT ClearToNull(VARIANT* out) noexcept;

// Builds the array element by element and hands it to the output only when
// every element is in place; until then the output stays VT_NULL and a failed
// build frees everything it made.
class StringArrayBuilder {
public:
    // Creates the array of `count` elements (0 allowed); E_UNEXPECTED when it
    // cannot be created.
    HRESULT Create(std::size_t count) noexcept;
    // Stores `text` as a VT_BSTR element; the conversion's or the store's code
    // on failure.
    HRESULT Put(LONG index, const std::string& text) noexcept;
    // Moves the array into `out` (which must be VT_NULL) as VT_ARRAY | VT_VARIANT.
    void HandTo(VARIANT* out) noexcept;

private:
    UniqueSafeArray m_array;
};

// Fills `out` from `count` strings in the order of [first, ...), taking each
// string with `text(*it)`. `createFailed(count)` and `storeFailed(index)` are
// called before the failure code is returned, so each method can report the
// failure in its own words.
template <typename Iterator, typename Text, typename CreateFailed, typename StoreFailed>
HRESULT WriteStringArray(Iterator first, std::size_t count, Text text, VARIANT* out,
                         CreateFailed createFailed, StoreFailed storeFailed) noexcept
{
    StringArrayBuilder builder;
    if (FAILED(builder.Create(count))) {
        createFailed(static_cast<int>(count));
        return E_UNEXPECTED;
    }
    for (LONG index = 0; static_cast<std::size_t>(index) < count; ++index, ++first) {
        const HRESULT hr = builder.Put(index, text(*first));
        if (FAILED(hr)) {
            storeFailed(static_cast<int>(index));
            return hr;
        }
    }
    builder.HandTo(out);
    return S_OK;
}

} // namespace pelrin
