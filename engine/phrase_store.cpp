#include "engine/phrase_store.h"

namespace pelrin {

namespace {
constexpr unsigned char FoldAsciiUpper(unsigned char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
} // namespace

int CompareCaseInsensitive(const char* left, const char* right) noexcept
{
    for (;; ++left, ++right) {
        const unsigned char l = FoldAsciiUpper(static_cast<unsigned char>(*left));
        const unsigned char r = FoldAsciiUpper(static_cast<unsigned char>(*right));
        if (l != r)
            return l < r ? -1 : 1;
        if (l == 0)
            return 0;
    }
}

} // namespace pelrin
