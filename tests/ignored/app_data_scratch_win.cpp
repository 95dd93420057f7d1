#include "tests/ignored/app_data_scratch_win.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pelrin::test {
namespace {

constexpr const char kShellFolderKeys[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

UniqueHkey CreateVolatileKey(HKEY parent, const std::string& name)
{
    UniqueHkey key;
    const LONG status = RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, key.addressof(), nullptr);
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("RegCreateKeyExA " + name + ": " + std::to_string(status));
    return key;
}

} // namespace

std::string ScratchFolder(const std::string& name)
{
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw std::runtime_error("GetModuleFileNameA failed");
    std::string folder(program, length);
    folder.resize(folder.rfind('\\'));
    return folder + "\\scratch\\" + name;
}

std::string FreshScratchFolder(const std::string& name)
{
    const std::string folder = ScratchFolder(name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

AppDataRedirect::AppDataRedirect(const std::string& folder)
    : m_keyName("Software\\PelrinAppDataScratch\\" + std::to_string(GetCurrentProcessId()))
{
    // Volatile, so gone with the Wine server even if this process dies, and
    // under a parent of its own: a volatile key takes only volatile subkeys.
    // The shell creates "Shell Folders" below it, so that one is made here.
    m_key = CreateVolatileKey(HKEY_CURRENT_USER, m_keyName);
    CreateVolatileKey(m_key.get(), std::string(kShellFolderKeys) + "Shell Folders");
    const UniqueHkey user =
        CreateVolatileKey(m_key.get(), std::string(kShellFolderKeys) + "User Shell Folders");
    RegSetValueExA(user.get(), "AppData", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    if (RegOverridePredefKey(HKEY_CURRENT_USER, m_key.get()) != ERROR_SUCCESS)
        throw std::runtime_error("RegOverridePredefKey failed");
}

AppDataRedirect::~AppDataRedirect()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    m_key.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, m_keyName.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, m_keyName.c_str());
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> lines;
    for (const auto& part : parts)
        for (const auto& text : part)
            lines.push_back(text + "\n");
    return lines;
}

std::vector<std::string> TraceUntilFolderCheck(const std::string& operation,
                                               const std::string& appData)
{
    return {operation + "-1, entering",
            "PelrinEngineImpl::GetAppIniFile-1, entering",
            "PelrinEngineImpl::GetAppFolder-1, entering",
            "GetUserAppDataFolder-1, entering",
            "GetUserAppDataFolder-4, pszPathBuf: " + appData,
            "EnsureFolderExists-1, entering"};
}

std::vector<std::string> TraceAfterFolderFound(const std::string& appData)
{
    return {"PelrinEngineImpl::GetAppFolder-4, m_appFolder: " + appData + "\\Pelrin",
            "PelrinEngineImpl::GetAppIniFile-3, m_appIniFile: " + appData + "\\Pelrin\\Pelrin.ini"};
}

std::vector<std::string> WithoutConstruction(const std::vector<std::string>& lines)
{
    std::vector<std::string> kept;
    bool constructing = false;
    for (const auto& line : lines) {
        if (line.starts_with("PelrinEngineImpl::PelrinEngineImpl-1,"))
            constructing = true;
        if (!constructing)
            kept.push_back(line);
        if (line.starts_with("PelrinEngineImpl::PelrinEngineImpl-4,"))
            constructing = false;
    }
    return kept;
}

} // namespace pelrin::test
