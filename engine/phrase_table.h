#pragma once
// The built-in phrase table in the stored form this version carries:
// 1.0.0.5 a pointer list in the library's data (for each group the scrambled
// phrase, its scrambled alternates and a null pointer; a null where the next
// phrase would stand ends the table); 1.0.0.1 the library's own numbered
// RCDATA resources.

#include "base/release.h"
#include "engine/phrase_resources.h"

#include <type_traits>

namespace pelrin {

using StoredPhraseTable =
    std::conditional_t<release::kTableInResources, const PhraseResources*, const char* const*>;

StoredPhraseTable BuiltInPhraseTable() noexcept;

} // namespace pelrin
