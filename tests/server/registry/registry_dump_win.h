#pragma once
// Reads a real registry subtree back as the lines the registry tests compare:
// "path" for each key, "path: name = TYPE 'data'" for each value.

#include "base/win_owners.h"
#include "server/registry/memory_registry.h"
#include "tests/server/registry/shipped_script_entries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pelrin::test {

// Appends the key (unless `includeKey` is false), its values and its subkeys.
inline void DumpKey(HKEY key, const std::string& path, bool includeKey, Lines& lines)
{
    if (includeKey)
        lines.push_back(path);
    std::vector<char> name(16384);
    std::vector<std::uint8_t> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        lines.push_back(path + ": " + (nameLength == 0 ? "@" : name.data()) + " = " +
                        DescribeValue(type, {data.data(), size}));
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        UniqueHkey subkey;
        ASSERT_EQ(RegOpenKeyExA(key, name.data(), 0, KEY_READ, subkey.addressof()), ERROR_SUCCESS);
        DumpKey(subkey.get(), path + "\\" + name.data(), true, lines);
    }
}

} // namespace pelrin::test
