#pragma once
// What registering the shipped script writes, as the registry dumps of the
// tests show it.

#include <algorithm>
#include <string>
#include <vector>

namespace pelrin::test {

using Lines = std::vector<std::string>;

inline Lines Sorted(Lines lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

inline constexpr const char* kClassKey = "HKCR\\CLSID\\{EDBA7DCF-775A-11D3-B1D4-00104BC9635C}";

inline Lines OwnScriptEntries(const std::string& module)
{
    const std::string c = kClassKey;
    return Sorted({
        "HKCR\\Pelrin.PelrinEngine.1",
        "HKCR\\Pelrin.PelrinEngine.1: @ = S 'PelrinEngine Class'",
        "HKCR\\Pelrin.PelrinEngine.1\\CLSID",
        "HKCR\\Pelrin.PelrinEngine.1\\CLSID: @ = S '{EDBA7DCF-775A-11D3-B1D4-00104BC9635C}'",
        "HKCR\\Pelrin.PelrinEngine",
        "HKCR\\Pelrin.PelrinEngine: @ = S 'PelrinEngine Class'",
        "HKCR\\Pelrin.PelrinEngine\\CurVer",
        "HKCR\\Pelrin.PelrinEngine\\CurVer: @ = S 'Pelrin.PelrinEngine.1'",
        "HKCR\\CLSID",
        c,
        c + ": @ = S 'PelrinEngine Class'",
        c + "\\ProgID",
        c + "\\ProgID: @ = S 'Pelrin.PelrinEngine.1'",
        c + "\\VersionIndependentProgID",
        c + "\\VersionIndependentProgID: @ = S 'Pelrin.PelrinEngine'",
        c + "\\Programmable",
        c + "\\InprocServer32",
        c + "\\InprocServer32: @ = S '" + module + "'",
        c + "\\InprocServer32: ThreadingModel = S 'Apartment'",
    });
}

} // namespace pelrin::test
