// The in-memory registry answers as the real one does where the registry
// script interpreter can tell.

#include "server/registry/memory_registry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace pelrin::test {
namespace {

class MemoryRegistryTest : public testing::Test {
protected:
    RegistryKey Open(const char* name, KeyAccess access = KeyAccess::All)
    {
        RegistryKey key = RegistryKey::None;
        EXPECT_EQ(registry.OpenKey(root, name, access, key), 0) << name;
        return key;
    }

    MemoryRegistry registry;
    const RegistryKey root = registry.Root(RootKey::ClassesRoot);
};

TEST_F(MemoryRegistryTest, NamesAreCaseInsensitiveAndKeepTheirFirstCase)
{
    registry.AddKey("HKCR\\MixedCase\\Sub");
    const RegistryKey key = Open("mixedcase");
    std::array<char, 256> name{};
    ASSERT_EQ(registry.EnumSubkey(key, 0, name), 0);
    EXPECT_STREQ(name.data(), "Sub");
    EXPECT_EQ(registry.EnumSubkey(key, 1, name), kErrorNoMoreItems);
    EXPECT_EQ(registry.EnumSubkey(key, 0, std::span<char>(name.data(), 3)), kErrorMoreData);

    const std::uint8_t data[] = {'x', 0};
    ASSERT_EQ(registry.SetValue(key, "Value", ValueType::String, data), 0);
    EXPECT_EQ(registry.DeleteValue(key, "VALUE"), 0);
    EXPECT_EQ(registry.DeleteValue(key, "VALUE"), kErrorFileNotFound);
    EXPECT_EQ(registry.CloseKey(key), 0);
    EXPECT_EQ(registry.CloseKey(key), kErrorInvalidHandle);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(MemoryRegistryTest, CountsIncludeTheDefaultValueOnceSet)
{
    const RegistryKey key = Open("");
    KeyCounts counts;
    std::uint32_t size = 7;
    ASSERT_EQ(registry.QueryCounts(key, counts), 0);
    EXPECT_EQ(counts.values, 0u);
    EXPECT_EQ(registry.QueryDefaultValueSize(key, size), kErrorFileNotFound);

    ASSERT_EQ(registry.SetValue(key, nullptr, ValueType::String, {}), 0);
    registry.AddKey("HKCR\\Sub");
    ASSERT_EQ(registry.QueryCounts(key, counts), 0);
    EXPECT_EQ(counts.values, 1u);
    EXPECT_EQ(counts.subkeys, 1u);
    ASSERT_EQ(registry.QueryDefaultValueSize(key, size), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(registry.Dump(), (std::vector<std::string>{"HKCR: @ = S '' (size 0)", "HKCR\\Sub"}));
    registry.CloseKey(key);
}

TEST_F(MemoryRegistryTest, OnlyKeysWithoutSubkeysCanBeDeleted)
{
    registry.AddKey("HKCR\\Parent\\Child");
    const RegistryKey parent = Open("Parent");
    EXPECT_EQ(registry.DeleteKey(root, "Parent"), kErrorAccessDenied);
    EXPECT_EQ(registry.DeleteKey(parent, "child"), 0);
    EXPECT_EQ(registry.DeleteKey(parent, "Child"), kErrorFileNotFound);
    EXPECT_EQ(registry.DeleteKey(root, "Parent"), 0);

    // A handle to a deleted key stays open but refuses everything.
    KeyCounts counts;
    RegistryKey created = RegistryKey::None;
    EXPECT_EQ(registry.QueryCounts(parent, counts), kErrorKeyDeleted);
    EXPECT_EQ(registry.CreateKey(parent, "X", created), kErrorKeyDeleted);
    EXPECT_EQ(registry.CloseKey(parent), 0);
    EXPECT_FALSE(registry.HasKey("HKCR\\Parent"));
}

TEST_F(MemoryRegistryTest, KeysOpenedForReadingRefuseChanges)
{
    registry.AddKey("HKCR\\Locked");
    registry.SetReadOnly("HKCR\\Locked");
    RegistryKey key = RegistryKey::None;
    EXPECT_EQ(registry.OpenKey(root, "Locked", KeyAccess::All, key), kErrorAccessDenied);
    EXPECT_EQ(key, RegistryKey::None);
    key = Open("Locked", KeyAccess::Read);
    RegistryKey created = RegistryKey::None;
    EXPECT_EQ(registry.CreateKey(key, "New", created), kErrorAccessDenied);
    EXPECT_EQ(registry.SetValue(key, "V", ValueType::Dword, {}), kErrorAccessDenied);
    EXPECT_EQ(registry.DeleteKey(root, "Locked"), kErrorAccessDenied);
    EXPECT_EQ(registry.CreateKey(root, std::string(256, 'k').c_str(), created), kErrorInvalidParameter);
    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST(HostAnsiTextTest, ConvertsNumbersAsTheAutomationConversionDoes)
{
    const HostAnsiText text;
    std::int32_t number = 0;
    EXPECT_EQ(text.TextToInt32(" -2147483648 ", number), 0);
    EXPECT_EQ(number, INT32_MIN);
    EXPECT_EQ(text.TextToInt32("+7", number), 0);
    EXPECT_EQ(number, 7);
    EXPECT_EQ(text.TextToInt32("2147483648", number), kOverflow);
    EXPECT_EQ(text.TextToInt32("99999999999999999999999", number), kOverflow);
    for (const char* bad : {"", " ", "-", "4x", "0x10", "1 2"})
        EXPECT_EQ(text.TextToInt32(bad, number), kTypeMismatch) << bad;
}

} // namespace
} // namespace pelrin::test
