#pragma once
// The user's application folder "Pelrin" inside the per-user application-data
// folder, where the settings file lives. Windows only.

#include "engine/engine_error.h"
#include "engine/pelrin_engine_impl.h"

#include <windows.h>

#include <cstdint>

namespace pelrin {

// Fill impl.m_appFolder (creating the folder when missing) and
// impl.m_appIniFile on first use; a failure caches nothing, so the next call
// tries again. GetAppFolder: 0, the folder lookup's negative HRESULT, or the
// last-error code when the folder cannot be made sure of. GetAppIniFile: 0 or
// a negative HRESULT.
std::int32_t GetAppFolder(PelrinEngineImpl& impl);
std::int32_t GetAppIniFile(PelrinEngineImpl& impl);

// The shell's per-user application-data folder (created by the shell when
// missing). S_OK with the path in the buffer, or the lookup's failing HRESULT.
HRESULT GetUserAppDataFolder(char (&pszPathBuf)[MAX_PATH]);

// True when the path names a directory, creating it (one level) when missing.
// On false the thread's last-error code tells why; ERROR_ALREADY_EXISTS when
// a file of that name is in the way.
bool EnsureFolderExists(const char* path);

} // namespace pelrin
