#include "engine/phrase_store.h"

namespace pelrin {

int CompareCaseInsensitive(const char* left, const char* right) noexcept
{
    for (;; ++left, ++right) {
        const auto l = static_cast<unsigned char>(ToLowerAscii(*left));
        const auto r = static_cast<unsigned char>(ToLowerAscii(*right));
        if (l != r)
            return l < r ? -1 : 1;
        if (l == 0)
            return 0;
    }
}

} // namespace pelrin
