#pragma once
// Saving the ignored-phrase list to the settings file Pelrin.ini (section
// "Ignore": "Count", then "Phrase0", "Phrase1", ... in list order) in the
// user's application folder, and loading it back. Windows only. The engine
// object's SaveIgnoredPhrases and LoadIgnoredPhrases call these and return
// their result.

#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"

namespace pelrin {

// S_OK; the negative HRESULT of a folder failure (nothing written); or the
// positive last-error code of the failed "Count" write (no phrase written) or
// of the last failed phrase write (the other phrases written).
HRESULT SaveIgnoredPhrases(PelrinEngineImpl& impl) noexcept;

// Adds the saved phrases to the list (never emptying it first; case variants
// of listed phrases are not added). The phrases stay where they are in the
// store. S_OK; the negative HRESULT of a folder failure; or the positive
// last-error code of the last missing or empty phrase key.
HRESULT LoadIgnoredPhrases(PelrinEngineImpl& impl) noexcept;

} // namespace pelrin
