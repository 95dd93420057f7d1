#pragma once
// Saving the ignored-phrase list to the settings file Pelrin.ini (section
// "Ignore": "Count", then "Phrase0", "Phrase1", ... in list order) in the
// user's application folder, and loading it back. Windows only. The engine
// object's SaveIgnoredPhrases and LoadIgnoredPhrases call these and return
// their result.

#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"

namespace pelrin {

// S_OK; the HRESULT of a folder failure or of a settings-file path that does
// not fit MAX_PATH (nothing written); or the last-error code, as an HRESULT
// of facility Win32, of the failed "Count" write (no phrase written) or of
// the last failed phrase write (the other phrases written).
HRESULT SaveIgnoredPhrases(PelrinEngineImpl& impl) noexcept;

// Adds the saved phrases to the list (never emptying it first; case variants
// of listed phrases are not added). The phrases stay where they are in the
// store. S_OK, also when there is no settings file; the HRESULT of a folder
// failure, of a path that does not fit MAX_PATH or of a file that is there
// but cannot be read (nothing loaded); or, after loading the phrases that are
// there, the last-error code of the last missing or empty phrase key as an
// HRESULT of facility Win32.
HRESULT LoadIgnoredPhrases(PelrinEngineImpl& impl) noexcept;

} // namespace pelrin
