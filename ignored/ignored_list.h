#pragma once
// The ignored-phrase list: ignoring a phrase moves it out of its first word's
// PhraseSet into PelrinEngineImpl::m_movedPhrases and lists it, in the
// caller's letter case, in m_ignoredPhrases, so word matching no longer
// offers it; restoring moves it back as the table spells it. Phrases that
// loading listed never left their sets, so restoring only unlists them.
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

// Takes a listed phrase (found without regard to ASCII case) off the list,
// and moves it back into its PhraseSet when ignoring took it out of one.
// kE_UNEXPECTED when it is not listed.
HRESULT RestoreIgnoredPhrase(PelrinEngineImpl& impl, const std::string& phrase);

// Moves every phrase that ignoring took out of its set back, then empties the
// list.
HRESULT RestoreAllIgnoredPhrases(PelrinEngineImpl& impl);

} // namespace pelrin
