#include "engine/complement_bytes.h"

namespace pelrin {

std::string ComplementBytes(const char* stored)
{
    std::string text(stored);
    for (char& c : text)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return text;
}

} // namespace pelrin
