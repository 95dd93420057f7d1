#pragma once
// Scratch application-data folders in the build tree, so that no test reads or
// writes a real user profile, and the capture helpers of the settings tests.

#include "base/win_owners.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace pelrin::test {

// <folder of the test program>\scratch\<name>, in Windows form.
std::string ScratchFolder(const std::string& name);

// The same folder, emptied and created.
std::string FreshScratchFolder(const std::string& name);

// Points this process's per-user application-data folder at `folder` until
// destroyed: HKEY_CURRENT_USER is replaced by a volatile key of its own
// holding the shell-folder values, so other processes sharing the Wine prefix
// are not affected.
class AppDataRedirect {
public:
    explicit AppDataRedirect(const std::string& folder);
    AppDataRedirect(const AppDataRedirect&) = delete;
    AppDataRedirect& operator=(const AppDataRedirect&) = delete;
    ~AppDataRedirect();

private:
    std::string m_keyName;
    UniqueHkey m_key;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// Trace texts joined into the lines the debug channel delivers (each with its newline).
std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts);

// What an operation ("CPelrinEngine::SaveIgnoredPhrases") sends while it finds
// the application folder below `appData`: up to the folder check, and once
// the folder is made sure of.
std::vector<std::string> TraceUntilFolderCheck(const std::string& operation,
                                               const std::string& appData);
std::vector<std::string> TraceAfterFolderFound(const std::string& appData);

// Drops what the construction of the engine core sent.
std::vector<std::string> WithoutConstruction(const std::vector<std::string>& lines);

} // namespace pelrin::test
