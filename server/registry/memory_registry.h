#pragma once
// The registry script interpreter's platform held in memory: a registry and
// the text services of a single-byte code page, on any host. The installer
// tool runs the registration script over them to learn what self-registration
// writes, and builds the packages' registry tables from that without touching
// a real registry. Tests and the fuzzer run the interpreter over them too, and
// use the test side below (keys set up by path, read-only keys, failures
// injected through the fault hook, open handles counted).
//
// MemoryRegistry behaves as the advapi32 registry does where the interpreter
// can tell: key and value names are case-insensitive and keep the case they
// were created with; a key with subkeys cannot be deleted; the default value
// is the value with the empty name and counts among the values once set;
// handles to a deleted key fail with ERROR_KEY_DELETED; a key opened for
// reading cannot be written to or have subkeys created under it; key names
// are at most 255 characters. Names given to the handle functions are one
// level each ("\" is not a separator there). Every open handle is counted,
// so tests can check that nothing leaks.
//
// HostAnsiText is a single-byte code page: UTF-16 units above 0xFF become "?".

#include "server/registry/registry_access.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelrin {

// Win32 error codes the registry answers with.
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorMoreData = 234;
inline constexpr std::int32_t kErrorNoMoreItems = 259;
inline constexpr std::int32_t kErrorKeyDeleted = 1018;

struct StoredValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// A key (no value name) or one of its values, by full path ("HKCR\A\B").
struct RegistryEntry {
    std::string key;
    std::optional<std::string> valueName; // "" is the default value
    StoredValue value;
};

// A value as Dump shows it: S 'text' (with " (size n)" when the data is not
// the text and one terminator), D number, or T<type> (size n).
std::string DescribeValue(std::uint32_t type, std::span<const std::uint8_t> data);

class MemoryRegistry final : public RegistryAccess {
public:
    enum class Operation { Open, Create, Close, SetValue, DeleteValue, DeleteKey, QueryCounts };
    // Called before an operation is carried out, with the full path of the key
    // it acts on ("HKCR\A\B"); a non-zero result is returned instead.
    using FaultHook = std::function<std::int32_t(Operation, const std::string& path)>;

    MemoryRegistry();
    ~MemoryRegistry() override;

    RegistryKey Root(RootKey root) override;
    std::int32_t OpenKey(RegistryKey parent, const char* name, KeyAccess access,
                         RegistryKey& opened) override;
    std::int32_t CreateKey(RegistryKey parent, const char* name, RegistryKey& opened) override;
    std::int32_t CloseKey(RegistryKey key) override;
    std::int32_t SetValue(RegistryKey key, const char* name, ValueType type,
                          std::span<const std::uint8_t> data) override;
    std::int32_t DeleteValue(RegistryKey key, const char* name) override;
    std::int32_t DeleteKey(RegistryKey parent, const char* name) override;
    std::int32_t QueryCounts(RegistryKey key, KeyCounts& counts) override;
    std::int32_t QueryDefaultValueSize(RegistryKey key, std::uint32_t& size) override;
    std::int32_t EnumSubkey(RegistryKey key, std::uint32_t index, std::span<char> name) override;

    // Test side, by path: a root's short name, then "\"-separated key names.
    void AddKey(std::string_view path);
    void SetString(std::string_view path, std::string_view valueName, std::string_view text);
    void SetDword(std::string_view path, std::string_view valueName, std::uint32_t number);
    void SetReadOnly(std::string_view path); // opened for reading only; never deleted
    bool HasKey(std::string_view path) const;
    std::optional<StoredValue> Value(std::string_view path, std::string_view valueName) const;

    // Every key below the roots, followed by its values, then its subkeys.
    std::vector<RegistryEntry> Entries() const;

    // Entries, one line each, in order:
    //   HKCR\A                  a key
    //   HKCR\A: @ = S 'text'    its default value, a string
    //   HKCR\A: N = D 42        a number value
    std::vector<std::string> Dump() const;

    std::size_t OpenHandleCount() const noexcept { return m_handles.size(); }
    void SetFaultHook(FaultHook hook) { m_faultHook = std::move(hook); }

private:
    struct Node;
    struct Handle {
        std::shared_ptr<Node> node;
        KeyAccess access;
    };

    Handle* Find(RegistryKey key);
    // The handle of a key that still exists, else kErrorInvalidHandle or kErrorKeyDeleted.
    std::int32_t FindLive(RegistryKey key, Handle*& handle);
    Node* FindPath(std::string_view path) const;
    Node& MakePath(std::string_view path);
    std::int32_t Fault(Operation operation, const Node& node, const char* child = nullptr) const;
    RegistryKey NewHandle(std::shared_ptr<Node> node, KeyAccess access);

    std::vector<std::shared_ptr<Node>> m_roots;
    std::vector<Handle> m_rootHandles; // predefined keys: never counted as open
    std::map<std::uintptr_t, Handle> m_handles;
    std::uintptr_t m_nextHandle = 0x1000;
    FaultHook m_faultHook;
};

class HostAnsiText final : public AnsiText {
public:
    const char* NextCharacter(const char* text) const override;
    std::int32_t ToAnsi(std::wstring_view text, std::string& ansi) const override;
    // Decimal, optional sign, blanks around: as the automation conversion
    // reads plain numbers, with its failure codes (type mismatch, overflow).
    std::int32_t TextToInt32(const char* text, std::int32_t& number) const override;
};

inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005u);
inline constexpr std::int32_t kOverflow = static_cast<std::int32_t>(0x8002000Au);

} // namespace pelrin
