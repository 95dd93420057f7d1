#pragma once
// First-word lookup: which phrases of the store begin with a whole word.

#include "engine/pelrin_engine_impl.h"

#include <string>

namespace pelrin {

// The set of phrases whose first word equals `word` (ASCII case ignored), or
// null when no first word matches. The lookup never creates an entry. With
// the letter-or-digit rule only words whose first byte is an ASCII letter or
// digit are looked up, and the set may be empty when every phrase of the word
// has been ignored; without it any ASCII first byte is looked up, and an
// emptied set counts as no match.
const PhraseSet* FindPhrasesOfFirstWord(const PelrinEngineImpl& impl, const std::string& word);

} // namespace pelrin
