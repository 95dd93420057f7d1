#include "server/registry/memory_registry.h"

#include "base/ascii.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace pelrin {
namespace {

constexpr std::size_t kMaxKeyNameChars = 255;
constexpr std::uintptr_t kRootHandleBase = 0x80000000u;

struct CaseInsensitiveLess {
    bool operator()(const std::string& left, const std::string& right) const noexcept
    {
        return CompareIgnoringAsciiCase(left, right) < 0;
    }
};

std::vector<std::string> SplitPath(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find('\\', start);
        parts.emplace_back(path.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::string DescribeValue(std::uint32_t type, std::span<const std::uint8_t> data)
{
    // Built by appending: GCC 12 misreads chains of operator+ on strings (-Wrestrict).
    const std::string size = " (size " + std::to_string(data.size()) + ")";
    std::string text;
    if (type == static_cast<std::uint32_t>(ValueType::String)) {
        const auto* bytes = reinterpret_cast<const char*>(data.data());
        const auto length = static_cast<std::size_t>(std::find(bytes, bytes + data.size(), '\0') - bytes);
        text.append("S '").append(bytes, length).append("'");
        if (data.size() != length + 1)
            text.append(size);
    } else if (type == static_cast<std::uint32_t>(ValueType::Dword) && data.size() == 4) {
        std::uint32_t number = 0;
        std::memcpy(&number, data.data(), 4);
        text.append("D ").append(std::to_string(number));
    } else {
        text.append("T").append(std::to_string(type)).append(size);
    }
    return text;
}

struct MemoryRegistry::Node {
    std::string name;
    Node* parent = nullptr;
    std::map<std::string, std::shared_ptr<Node>, CaseInsensitiveLess> subkeys;
    std::map<std::string, StoredValue, CaseInsensitiveLess> values;
    bool deleted = false;
    bool readOnly = false;

    std::string Path() const { return parent == nullptr ? name : parent->Path() + "\\" + name; }
};

MemoryRegistry::MemoryRegistry()
{
    // Roots are held, and their handles numbered, in the order of kRootKeyNames.
    for (const RootKeyName& name : kRootKeyNames) {
        auto root = std::make_shared<Node>();
        root->name = name.shortName;
        m_rootHandles.push_back(Handle{root, KeyAccess::All});
        m_roots.push_back(std::move(root));
    }
}

MemoryRegistry::~MemoryRegistry() = default;

RegistryKey MemoryRegistry::Root(RootKey root)
{
    std::uintptr_t index = 0;
    while (index < kRootKeyNames.size() && kRootKeyNames[index].root != root)
        ++index;
    return index < kRootKeyNames.size() ? static_cast<RegistryKey>(kRootHandleBase + index) : RegistryKey::None;
}

MemoryRegistry::Handle* MemoryRegistry::Find(RegistryKey key)
{
    const auto value = static_cast<std::uintptr_t>(key);
    if (value >= kRootHandleBase && value < kRootHandleBase + m_rootHandles.size())
        return &m_rootHandles[value - kRootHandleBase];
    const auto found = m_handles.find(value);
    return found == m_handles.end() ? nullptr : &found->second;
}

std::int32_t MemoryRegistry::FindLive(RegistryKey key, Handle*& handle)
{
    handle = Find(key);
    if (handle == nullptr)
        return kErrorInvalidHandle;
    return handle->node->deleted ? kErrorKeyDeleted : 0;
}

std::int32_t MemoryRegistry::Fault(Operation operation, const Node& node, const char* child) const
{
    if (!m_faultHook)
        return 0;
    std::string path = node.Path();
    if (child != nullptr && *child != '\0')
        path += std::string("\\") + child;
    return m_faultHook(operation, path);
}

RegistryKey MemoryRegistry::NewHandle(std::shared_ptr<Node> node, KeyAccess access)
{
    const std::uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(value, Handle{std::move(node), access});
    return static_cast<RegistryKey>(value);
}

std::int32_t MemoryRegistry::OpenKey(RegistryKey parent, const char* name, KeyAccess access,
                                     RegistryKey& opened)
{
    opened = RegistryKey::None;
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(parent, handle))
        return status;
    std::shared_ptr<Node> target = handle->node;
    if (name != nullptr && *name != '\0') {
        const auto found = handle->node->subkeys.find(name);
        if (found == handle->node->subkeys.end())
            return kErrorFileNotFound;
        target = found->second;
    }
    if (const std::int32_t fault = Fault(Operation::Open, *handle->node, name))
        return fault;
    if (access == KeyAccess::All && target->readOnly)
        return kErrorAccessDenied;
    opened = NewHandle(std::move(target), access);
    return 0;
}

std::int32_t MemoryRegistry::CreateKey(RegistryKey parent, const char* name, RegistryKey& opened)
{
    opened = RegistryKey::None;
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(parent, handle))
        return status;
    Node& node = *handle->node;
    if (const std::int32_t fault = Fault(Operation::Create, node, name))
        return fault;
    if (name == nullptr || *name == '\0') {
        if (node.readOnly)
            return kErrorAccessDenied;
        opened = NewHandle(handle->node, KeyAccess::All);
        return 0;
    }
    const auto found = node.subkeys.find(name);
    if (found != node.subkeys.end()) {
        if (found->second->readOnly)
            return kErrorAccessDenied;
        opened = NewHandle(found->second, KeyAccess::All);
        return 0;
    }
    if (handle->access != KeyAccess::All || node.readOnly)
        return kErrorAccessDenied;
    if (std::strlen(name) > kMaxKeyNameChars)
        return kErrorInvalidParameter;
    auto created = std::make_shared<Node>();
    created->name = name;
    created->parent = &node;
    node.subkeys.emplace(name, created);
    opened = NewHandle(std::move(created), KeyAccess::All);
    return 0;
}

std::int32_t MemoryRegistry::CloseKey(RegistryKey key)
{
    const auto value = static_cast<std::uintptr_t>(key);
    if (value >= kRootHandleBase && value < kRootHandleBase + m_rootHandles.size())
        return 0;
    const auto found = m_handles.find(value);
    if (found == m_handles.end())
        return kErrorInvalidHandle;
    const std::shared_ptr<Node> node = found->second.node;
    m_handles.erase(found);
    // An injected failure is reported, but the handle is gone all the same.
    return Fault(Operation::Close, *node);
}

std::int32_t MemoryRegistry::SetValue(RegistryKey key, const char* name, ValueType type,
                                      std::span<const std::uint8_t> data)
{
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(key, handle))
        return status;
    if (handle->access != KeyAccess::All)
        return kErrorAccessDenied;
    if (const std::int32_t fault = Fault(Operation::SetValue, *handle->node))
        return fault;
    handle->node->values[name == nullptr ? "" : name] =
        StoredValue{static_cast<std::uint32_t>(type), {data.begin(), data.end()}};
    return 0;
}

std::int32_t MemoryRegistry::DeleteValue(RegistryKey key, const char* name)
{
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(key, handle))
        return status;
    if (handle->access != KeyAccess::All)
        return kErrorAccessDenied;
    const auto found = handle->node->values.find(name == nullptr ? "" : name);
    if (found == handle->node->values.end())
        return kErrorFileNotFound;
    if (const std::int32_t fault = Fault(Operation::DeleteValue, *handle->node))
        return fault;
    handle->node->values.erase(found);
    return 0;
}

std::int32_t MemoryRegistry::DeleteKey(RegistryKey parent, const char* name)
{
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(parent, handle))
        return status;
    Node& node = *handle->node;
    // An empty name deletes the key the handle refers to, as the real one does.
    Node* target = &node;
    if (name != nullptr && *name != '\0') {
        const auto found = node.subkeys.find(name);
        if (found == node.subkeys.end())
            return kErrorFileNotFound;
        target = found->second.get();
    }
    if (target->parent == nullptr || target->readOnly || !target->subkeys.empty())
        return kErrorAccessDenied;
    if (const std::int32_t fault = Fault(Operation::DeleteKey, *target))
        return fault;
    target->deleted = true;
    Node* const owner = target->parent;
    target->parent = nullptr;
    const std::string targetName = target->name;
    owner->subkeys.erase(targetName); // frees the node unless a handle holds it
    return 0;
}

std::int32_t MemoryRegistry::QueryCounts(RegistryKey key, KeyCounts& counts)
{
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(key, handle))
        return status;
    if (const std::int32_t fault = Fault(Operation::QueryCounts, *handle->node))
        return fault;
    counts.subkeys = static_cast<std::uint32_t>(handle->node->subkeys.size());
    counts.values = static_cast<std::uint32_t>(handle->node->values.size());
    return 0;
}

std::int32_t MemoryRegistry::QueryDefaultValueSize(RegistryKey key, std::uint32_t& size)
{
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(key, handle))
        return status;
    const auto found = handle->node->values.find("");
    if (found == handle->node->values.end())
        return kErrorFileNotFound;
    size = static_cast<std::uint32_t>(found->second.data.size());
    return 0;
}

std::int32_t MemoryRegistry::EnumSubkey(RegistryKey key, std::uint32_t index, std::span<char> name)
{
    Handle* handle = nullptr;
    if (const std::int32_t status = FindLive(key, handle))
        return status;
    if (index >= handle->node->subkeys.size())
        return kErrorNoMoreItems;
    const std::string& subkey = std::next(handle->node->subkeys.begin(), static_cast<std::ptrdiff_t>(index))->second->name;
    if (subkey.size() + 1 > name.size())
        return kErrorMoreData;
    std::memcpy(name.data(), subkey.c_str(), subkey.size() + 1);
    return 0;
}

MemoryRegistry::Node* MemoryRegistry::FindPath(std::string_view path) const
{
    const std::vector<std::string> parts = SplitPath(path);
    Node* node = nullptr;
    for (std::size_t i = 0; i < kRootKeyNames.size(); ++i) {
        if (parts[0] == kRootKeyNames[i].shortName)
            node = m_roots[i].get();
    }
    for (std::size_t i = 1; node != nullptr && i < parts.size(); ++i) {
        const auto found = node->subkeys.find(parts[i]);
        node = found == node->subkeys.end() ? nullptr : found->second.get();
    }
    return node;
}

MemoryRegistry::Node& MemoryRegistry::MakePath(std::string_view path)
{
    const std::vector<std::string> parts = SplitPath(path);
    Node* node = nullptr;
    for (std::size_t i = 0; i < kRootKeyNames.size(); ++i) {
        if (parts[0] == kRootKeyNames[i].shortName)
            node = m_roots[i].get();
    }
    if (node == nullptr)
        throw std::invalid_argument("unknown root in " + std::string(path));
    for (std::size_t i = 1; i < parts.size(); ++i) {
        auto& child = node->subkeys[parts[i]];
        if (!child) {
            child = std::make_shared<Node>();
            child->name = parts[i];
            child->parent = node;
        }
        node = child.get();
    }
    return *node;
}

void MemoryRegistry::AddKey(std::string_view path)
{
    MakePath(path);
}

void MemoryRegistry::SetString(std::string_view path, std::string_view valueName, std::string_view text)
{
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    MakePath(path).values[std::string(valueName)] =
        StoredValue{static_cast<std::uint32_t>(ValueType::String), std::move(data)};
}

void MemoryRegistry::SetDword(std::string_view path, std::string_view valueName, std::uint32_t number)
{
    std::vector<std::uint8_t> data(4);
    std::memcpy(data.data(), &number, 4);
    MakePath(path).values[std::string(valueName)] =
        StoredValue{static_cast<std::uint32_t>(ValueType::Dword), std::move(data)};
}

void MemoryRegistry::SetReadOnly(std::string_view path)
{
    MakePath(path).readOnly = true;
}

bool MemoryRegistry::HasKey(std::string_view path) const
{
    return FindPath(path) != nullptr;
}

std::optional<StoredValue> MemoryRegistry::Value(std::string_view path, std::string_view valueName) const
{
    const Node* const node = FindPath(path);
    if (node == nullptr)
        return std::nullopt;
    const auto found = node->values.find(std::string(valueName));
    if (found == node->values.end())
        return std::nullopt;
    return found->second;
}

std::vector<RegistryEntry> MemoryRegistry::Entries() const
{
    std::vector<RegistryEntry> entries;
    const std::function<void(const Node&, bool)> visit = [&](const Node& node, bool isRoot) {
        const std::string path = node.Path();
        if (!isRoot)
            entries.push_back({path, std::nullopt, {}});
        for (const auto& [name, value] : node.values)
            entries.push_back({path, name, value});
        for (const auto& [name, child] : node.subkeys)
            visit(*child, false);
    };
    for (const auto& root : m_roots)
        visit(*root, true);
    return entries;
}

std::vector<std::string> MemoryRegistry::Dump() const
{
    std::vector<std::string> lines;
    for (const RegistryEntry& entry : Entries()) {
        if (!entry.valueName)
            lines.push_back(entry.key);
        else
            lines.push_back(entry.key + ": " + (entry.valueName->empty() ? "@" : *entry.valueName) + " = " +
                            DescribeValue(entry.value.type, entry.value.data));
    }
    return lines;
}

const char* HostAnsiText::NextCharacter(const char* text) const
{
    return *text == '\0' ? text : text + 1;
}

std::int32_t HostAnsiText::ToAnsi(std::wstring_view text, std::string& ansi) const
{
    ansi.clear();
    for (const wchar_t unit : text)
        ansi.push_back(static_cast<std::uint32_t>(unit) <= 0xFF ? static_cast<char>(unit) : '?');
    return 0;
}

std::int32_t HostAnsiText::TextToInt32(const char* text, std::int32_t& number) const
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (isBlank(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    if (*text < '0' || *text > '9')
        return kTypeMismatch;
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            overflow = true;
            magnitude = 0;
        }
    }
    while (isBlank(*text))
        ++text;
    if (*text != '\0')
        return kTypeMismatch;
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (overflow || value > std::numeric_limits<std::int32_t>::max())
        return kOverflow;
    number = static_cast<std::int32_t>(value);
    return 0;
}

} // namespace pelrin
