#pragma once
// The user's application folder "Pelrin" inside the per-user application-data
// folder, where the settings file lives. Windows only.

#include "engine/engine_error.h"

#include <windows.h>

namespace pelrin {

// The shell's per-user application-data folder (created by the shell when
// missing). S_OK with the path in the buffer, or the lookup's failing HRESULT.
HRESULT GetUserAppDataFolder(char (&pszPathBuf)[MAX_PATH]);

// True when the path names a directory, creating it (one level) when missing.
// On false the thread's last-error code tells why; ERROR_ALREADY_EXISTS when
// a file of that name is in the way.
bool EnsureFolderExists(const char* path);

} // namespace pelrin
