#pragma once
// The phrase table's scrambling: each stored byte is the complement of the text byte.

#include <string>

namespace pelrin {

// Complements every byte up to the first zero byte; same length as the input.
std::string ComplementBytes(const char* stored);

} // namespace pelrin
