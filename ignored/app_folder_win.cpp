#include "ignored/app_folder.h"

#include "base/last_error_win.h"
#include "base/win_owners.h"
#include "diag/trace.h"

#include <cstring>
#include <string>
#include <utility>

namespace pelrin {
namespace {

using ShGetFolderPathA = HRESULT(WINAPI*)(HWND owner, int folder, HANDLE token, DWORD flags,
                                          LPSTR path);

constexpr int kAppDataCreate = 0x801A; // CSIDL_APPDATA | CSIDL_FLAG_CREATE
constexpr const char* kAppFolderName = "Pelrin";
constexpr const char* kSettingsFileName = "Pelrin.ini";
constexpr WORD kShGetFolderPathAOrdinal = 1;

// Loads a library of the system directory by its full path, so that a DLL of
// the same name planted in the current or the host's folder is never used.
UniqueHmodule LoadSystemLibrary(const char* fileName)
{
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    const std::size_t nameLength = std::strlen(fileName);
    if (length == 0)
        return UniqueHmodule();
    if (length >= MAX_PATH || length + 1 + nameLength >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return UniqueHmodule();
    }
    path[length] = '\\';
    std::memcpy(path + length + 1, fileName, nameLength + 1);
    return UniqueHmodule(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

HRESULT CallShGetFolderPath(char (&path)[MAX_PATH])
{
    const UniqueHmodule shfolder = LoadSystemLibrary("shfolder.dll");
    if (!shfolder)
        return LastErrorAsHresult();
    const FARPROC address =
        GetProcAddress(shfolder.get(), MAKEINTRESOURCEA(kShGetFolderPathAOrdinal));
    if (address == nullptr)
        return LastErrorAsHresult();
    const auto shGetFolderPathA =
        reinterpret_cast<ShGetFolderPathA>(reinterpret_cast<void*>(address));
    const HRESULT hr = shGetFolderPathA(GetDesktopWindow(), kAppDataCreate, nullptr, 0, path);
    path[MAX_PATH - 1] = '\0';
    return hr;
}

// Appends a backslash unless the path is empty or already ends in one, then the name.
void AppendPathPart(std::string& path, const char* name)
{
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    path += name;
}

} // namespace

HRESULT GetUserAppDataFolder(char (&pszPathBuf)[MAX_PATH])
{
    TRACE_BASIC("GetUserAppDataFolder-1, entering");
    pszPathBuf[0] = '\0';
    const HRESULT hr = CallShGetFolderPath(pszPathBuf);
    if (hr < 0) {
        TRACE_BASIC("GetUserAppDataFolder-2, SHGetFolderPath error %08x",
                    static_cast<unsigned>(hr));
        return hr;
    }
    TRACE_BASIC("GetUserAppDataFolder-4, pszPathBuf: %s", pszPathBuf);
    return kS_OK;
}

bool EnsureFolderExists(const char* path)
{
    // Tracing may change the thread's last-error code, so each code is taken
    // at once and set again before a false return: callers read it.
    TRACE_BASIC("EnsureFolderExists-1, entering");
    const DWORD attributes = GetFileAttributesA(path);
    const DWORD attributesError = GetLastError();
    TRACE_BASIC("EnsureFolderExists-2, %s: attrib: %x", path, static_cast<unsigned>(attributes));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        TRACE_VERBOSE("EnsureFolderExists-3, GetFileAttributes error: %d",
                      static_cast<int>(attributesError));
        if (attributesError != ERROR_FILE_NOT_FOUND && attributesError != ERROR_PATH_NOT_FOUND) {
            TRACE_BASIC("EnsureFolderExists-4, error: %d", static_cast<int>(attributesError));
            SetLastError(attributesError);
            return false;
        }
        if (!CreateDirectoryA(path, nullptr)) {
            const DWORD createError = GetLastError();
            TRACE_BASIC("EnsureFolderExists-5, CreateDirectory error: %d",
                        static_cast<int>(createError));
            SetLastError(createError);
            return false;
        }
        TRACE_BASIC("EnsureFolderExists-6, created: %s", path);
        return true;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return true;
    TRACE_BASIC("EnsureFolderExists-7, %s exists, but not a dir", path);
    // The attribute query succeeded, so no code tells the caller why.
    SetLastError(ERROR_ALREADY_EXISTS);
    return false;
}

// The messages keep the names the trace has always shown for these steps.
std::int32_t GetAppFolder(PelrinEngineImpl& impl)
{
    TRACE_BASIC("PelrinEngineImpl::GetAppFolder-1, entering");
    if (impl.m_appFolder.empty()) {
        char path[MAX_PATH];
        const HRESULT hr = GetUserAppDataFolder(path);
        if (hr < 0) {
            TRACE_BASIC("PelrinEngineImpl::GetAppFolder-2, error: %d", static_cast<int>(hr));
            return hr;
        }
        // Built aside and kept only when whole: a path cut short by running
        // out of memory would be used for the object's whole life.
        std::string folder = path;
        AppendPathPart(folder, kAppFolderName);
        // The profile functions take paths of at most MAX_PATH characters: a
        // longer one would reach the file system cut or mangled, and the list
        // would be saved elsewhere or lost. Refused before anything is made.
        std::string file = folder;
        AppendPathPart(file, kSettingsFileName);
        if (file.size() >= MAX_PATH) {
            const HRESULT tooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
            TRACE_BASIC("PelrinEngineImpl::GetAppFolder-2, error: %d", static_cast<int>(tooLong));
            return tooLong;
        }
        if (!EnsureFolderExists(folder.c_str())) {
            // m_appFolder stays empty: the next call tries again.
            const auto error = static_cast<std::int32_t>(GetLastError());
            TRACE_BASIC("PelrinEngineImpl::GetAppFolder-3, error: %d", error);
            return error;
        }
        impl.m_appFolder = std::move(folder);
    }
    TRACE_BASIC("PelrinEngineImpl::GetAppFolder-4, m_appFolder: %s", impl.m_appFolder.c_str());
    return 0;
}

std::int32_t GetAppIniFile(PelrinEngineImpl& impl)
{
    TRACE_BASIC("PelrinEngineImpl::GetAppIniFile-1, entering");
    if (impl.m_appIniFile.empty()) {
        const std::int32_t folderResult = GetAppFolder(impl);
        // Without the folder there is no settings file: a bare "Pelrin.ini"
        // would land in the Windows directory. Fail, and leave both paths
        // empty so the next call tries again.
        if (folderResult < 0 || impl.m_appFolder.empty()) {
            const HRESULT hr = folderResult < 0
                                   ? folderResult
                                   : LastErrorAsHresult(static_cast<DWORD>(folderResult));
            TRACE_BASIC("PelrinEngineImpl::GetAppIniFile-2, error: %d", static_cast<int>(hr));
            return hr;
        }
        std::string file = impl.m_appFolder;
        AppendPathPart(file, kSettingsFileName);
        impl.m_appIniFile = std::move(file);
    }
    TRACE_BASIC("PelrinEngineImpl::GetAppIniFile-3, m_appIniFile: %s", impl.m_appIniFile.c_str());
    return 0;
}

} // namespace pelrin
