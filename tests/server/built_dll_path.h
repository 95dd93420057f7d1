#pragma once
// The PELRIN.DLL of this build tree, for test programs that load or register
// it. Needs PELRIN_DLL_PATH (the built DLL, Unix path).

#include <string>

namespace pelrin::test {

// A Unix path of the build machine as a Windows path (Z:\...).
inline std::wstring WindowsPath(const std::string& unixPath)
{
    std::wstring path = L"Z:";
    for (const char c : unixPath)
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return path;
}

// The built PELRIN.DLL as a Windows path.
inline std::wstring BuiltDllPath()
{
    return WindowsPath(PELRIN_DLL_PATH);
}

} // namespace pelrin::test
