#pragma once
// The ignored-phrase list: ignoring a phrase moves it out of its first word's
// PhraseSet into PelrinEngineImpl::m_ignoredPhrases, so word matching no
// longer offers it; restoring moves it back, in the letter case the list kept.
// Only phrases whose first word begins with an ASCII letter or digit have a
// bucket to move between; in version 1.0.0.1 any ASCII first byte has one.

#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"

#include <string>

namespace pelrin {

// Moves a phrase of the store into the list, keeping the caller's letter case.
// kS_OK also when there is nothing to move (unknown, already ignored, empty
// first word); kE_UNEXPECTED when the first byte has no bucket (1.0.0.5 only:
// in 1.0.0.1 that is nothing to move either).
// May throw std::bad_alloc, leaving the list and the store as they were.
HRESULT IgnorePhrase(PelrinEngineImpl& impl, const std::string& phrase);

// Moves a listed phrase (found without regard to ASCII case) back into its
// PhraseSet and off the list. kE_UNEXPECTED when it is not listed or (1.0.0.5)
// its first byte has no bucket; kS_OK with the phrase still listed when its
// bucket is empty (or, in 1.0.0.1, missing).
HRESULT RestoreIgnoredPhrase(PelrinEngineImpl& impl, const std::string& phrase);

// Moves every listed phrase back, in list order, then empties the list. Stops
// at the first entry that cannot go back (kE_UNEXPECTED for a first byte that
// is not a letter or digit, kS_OK for an empty bucket); the list is then left
// whole, and the entries before that one are back in their sets.
HRESULT RestoreAllIgnoredPhrases(PelrinEngineImpl& impl);

} // namespace pelrin
