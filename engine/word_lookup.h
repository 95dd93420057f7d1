#pragma once
// First-word lookup: which phrases of the store begin with a whole word.

#include "engine/pelrin_engine_impl.h"

#include <string>

namespace pelrin {

// The set of phrases whose first word equals `word` (ASCII case ignored), or
// null when no first word matches. Only words whose first byte is an ASCII
// letter or digit are looked up; the lookup never creates an entry. The set
// may be empty when every phrase of the word has been ignored.
const PhraseSet* FindPhrasesOfFirstWord(const PelrinEngineImpl& impl, const std::string& word);

} // namespace pelrin
