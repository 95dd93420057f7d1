// The two settings-file methods of the engine object, in the versions that
// have the settings file (see PELRIN_SETTINGS_FILE).

#include "ignored/settings_file.h"
#include "server/pelrin_engine.h"

namespace pelrin {

// A Win32 error of the profile functions comes back as an HRESULT of facility
// Win32, so that callers testing with FAILED() and script hosts see it.
HRESULT CPelrinEngine::SaveIgnoredPhrases()
{
    return WithStore(pelrin::SaveIgnoredPhrases);
}

HRESULT CPelrinEngine::LoadIgnoredPhrases()
{
    return WithStore(pelrin::LoadIgnoredPhrases);
}

} // namespace pelrin
