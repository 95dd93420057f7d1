#include "server/registry/registry_script.h"

#include "base/ascii.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

namespace pelrin {
namespace {

// Returns from the enclosing function when the expression gives a failure.
#define PELRIN_RETURN_IF_FAILED(expression)                                                        \
    do {                                                                                           \
        if (const std::int32_t result_ = (expression); result_ != kScriptOk)                       \
            return result_;                                                                        \
    } while (false)

constexpr char kQuote = '\'';
constexpr std::size_t kInitialSubstitutionRoom = 10;
// Any non-zero status stops a recursive removal that goes deeper than the
// registry itself allows (a link loop, say).
constexpr std::int32_t kErrorTooDeep = 1010; // ERROR_BADKEY
// Blocks that are only stepped over may nest as deep as the text goes.
constexpr std::size_t kAnyDepth = SIZE_MAX;

bool IsWhiteSpace(char c) noexcept
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool StartsWith(const std::string& token, char c) noexcept
{
    return !token.empty() && token.front() == c;
}

// One character step that never passes the terminator, whatever the code
// page's idea of a character is.
const char* Step(const AnsiText& text, const char* position) noexcept
{
    if (*position == '\0')
        return position;
    const char* next = text.NextCharacter(position);
    if (next <= position)
        return position + 1;
    for (const char* p = position + 1; p < next; ++p) {
        if (*p == '\0')
            return p;
    }
    return next;
}

// Follows the substituted text as the token reader will read it, so that a
// value's apostrophes are doubled only where one would end a quoted token.
class QuoteTracker {
public:
    bool InQuotes() const noexcept { return m_state == State::Quoted; }

    // Takes the first byte of each character of the text, in order.
    void Pass(char c) noexcept
    {
        if (m_state == State::QuoteInQuotes) {
            if (c == kQuote) {
                m_state = State::Quoted; // a doubled quote, one of the content
                return;
            }
            m_state = State::Between; // it ended the token; the next may begin at once
        }
        switch (m_state) {
        case State::Between:
            if (c == kQuote)
                m_state = State::Quoted;
            else if (!IsWhiteSpace(c))
                m_state = State::Unquoted;
            break;
        case State::Unquoted:
            if (IsWhiteSpace(c))
                m_state = State::Between;
            break;
        case State::Quoted:
            if (c == kQuote)
                m_state = State::QuoteInQuotes;
            break;
        case State::QuoteInQuotes:
            break;
        }
    }

private:
    enum class State { Between, Unquoted, Quoted, QuoteInQuotes };
    State m_state = State::Between;
};

bool FindRoot(const std::string& token, RootKey& root) noexcept
{
    for (const RootKeyName& name : kRootKeyNames) {
        if (EqualsIgnoringAsciiCase(token, name.shortName) || EqualsIgnoringAsciiCase(token, name.longName)) {
            root = name.root;
            return true;
        }
    }
    return false;
}

// Keys that hold everybody's registrations: never removed by force.
bool IsProtected(const std::string& name) noexcept
{
    return EqualsIgnoringAsciiCase(name, "CLSID") || EqualsIgnoringAsciiCase(name, "TYPELIB");
}

// Closes the key it holds when it goes out of scope; Close() reports the
// result when it matters.
class OpenedKey {
public:
    explicit OpenedKey(RegistryAccess& registry) noexcept : m_registry(registry) {}
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    ~OpenedKey() { static_cast<void>(Close()); }

    RegistryKey Get() const noexcept { return m_key; }

    // Closes what is held and hands out the slot for an opening call.
    RegistryKey& Receive() noexcept
    {
        static_cast<void>(Close());
        return m_key;
    }

    std::int32_t Close() noexcept
    {
        const RegistryKey key = std::exchange(m_key, RegistryKey::None);
        return key == RegistryKey::None ? 0 : m_registry.CloseKey(key);
    }

private:
    RegistryAccess& m_registry;
    RegistryKey m_key = RegistryKey::None;
};

// The barrier of a block walk: exhausted memory becomes the script's result.
template <typename Function>
std::int32_t ScriptErrorBarrier(Function&& function) noexcept
{
    try {
        return function();
    } catch (const std::bad_alloc&) {
        return kScriptOutOfMemory;
    }
}

// One entry of a block as the text gives it:
//   [ForceRemove name] [NoRemove] name [= type value] [{ block }]
//   [ForceRemove name] [NoRemove] Val name = type value
//   Delete name [= type value]
// The name after ForceRemove also begins the rest of the entry. Every walk of
// a block reads its entries with ReadEntry, so the parse position stays in
// step with the script whatever the registry holds and however the block is
// walked.
struct Entry {
    enum class Kind { Key, Value, Delete };
    Kind kind = Kind::Key;
    std::string forceRemoved; // the key to remove first; empty without ForceRemove
    bool noRemove = false;
    std::string name; // a key name, or a value name ("" for the default value)
    bool assigned = false;
    bool isString = false;
    std::string value;
    bool opensBlock = false; // its block follows, to be read by the caller
};

// One run over one substituted text.
class ScriptRun {
public:
    ScriptRun(RegistryAccess& registry, const AnsiText& text, const char* script) noexcept
        : m_registry(registry), m_text(text), m_position(script)
    {
    }

    std::int32_t Run(bool registerMode);

private:
    void SkipWhiteSpace() noexcept
    {
        while (IsWhiteSpace(*m_position))
            ++m_position;
    }

    bool AppendCharacter(std::string& token);
    std::int32_t ReadToken(std::string& token);
    std::int32_t ReadAssignment(std::string& token, Entry& entry);
    std::int32_t ReadEntry(std::string& token, Entry& entry);
    std::int32_t WriteValue(RegistryKey key, const char* valueName, const Entry& entry);
    std::int32_t CheckKeyName(const std::string& name) const noexcept;
    std::int32_t OpenOrCreate(RegistryKey parent, const std::string& name, OpenedKey& key);
    std::int32_t RegisterBlock(RegistryKey parent, int depth);
    std::int32_t UnregisterBlock(RegistryKey parent, int depth);
    std::int32_t StepOverBlock(std::size_t deepest);
    bool HasSubkeys(RegistryKey key);
    bool HasValues(RegistryKey key);
    std::int32_t RemoveTree(RegistryKey parent, const char* name, int depth);

    RegistryAccess& m_registry;
    const AnsiText& m_text;
    const char* m_position;
    bool m_rollingBack = false; // unregistering what a failed register pass wrote
};

std::int32_t ScriptRun::Run(bool registerMode)
{
    std::string token;
    for (;;) {
        SkipWhiteSpace();
        if (*m_position == '\0')
            return kScriptOk;
        PELRIN_RETURN_IF_FAILED(ReadToken(token));
        RootKey rootName{};
        if (!FindRoot(token, rootName))
            return kScriptSyntaxError;
        const RegistryKey root = m_registry.Root(rootName);
        PELRIN_RETURN_IF_FAILED(ReadToken(token));
        if (!StartsWith(token, '{'))
            return kScriptSyntaxError;

        if (!registerMode) {
            PELRIN_RETURN_IF_FAILED(ScriptErrorBarrier([&] { return UnregisterBlock(root, 1); }));
            continue;
        }
        // The whole block is read first: a syntax error found after keys were
        // written could stop the rollback as well, leaving them behind.
        const char* const blockStart = m_position;
        constexpr auto kDeepest = static_cast<std::size_t>(kMaxBlockDepth);
        PELRIN_RETURN_IF_FAILED(ScriptErrorBarrier([&] { return StepOverBlock(kDeepest); }));
        m_position = blockStart;
        const std::int32_t result = ScriptErrorBarrier([&] { return RegisterBlock(root, 1); });
        if (result != kScriptOk) {
            // Take out again what this root block wrote; earlier blocks stay.
            m_position = blockStart;
            m_rollingBack = true;
            static_cast<void>(ScriptErrorBarrier([&] { return UnregisterBlock(root, 1); }));
            m_rollingBack = false;
            return result;
        }
    }
}

bool ScriptRun::AppendCharacter(std::string& token)
{
    const char* const next = Step(m_text, m_position);
    const auto length = static_cast<std::size_t>(next - m_position);
    if (token.size() + length + 1 > kTokenBufferBytes)
        return false;
    token.append(m_position, length);
    m_position = next;
    return true;
}

std::int32_t ScriptRun::ReadToken(std::string& token)
{
    token.clear();
    SkipWhiteSpace();
    if (*m_position == '\0')
        return kScriptSyntaxError;

    if (*m_position != kQuote) {
        while (*m_position != '\0' && !IsWhiteSpace(*m_position)) {
            if (!AppendCharacter(token))
                return kScriptSyntaxError;
        }
        return kScriptOk;
    }

    m_position = Step(m_text, m_position);
    // A quote followed by another quote is one quote of the content.
    while (*m_position != '\0' && !(*m_position == kQuote && m_position[1] != kQuote)) {
        if (*m_position == kQuote)
            m_position = Step(m_text, m_position);
        if (token.size() >= kMaxQuotedTokenBytes || !AppendCharacter(token))
            return kScriptSyntaxError;
    }
    if (*m_position == '\0')
        return kScriptSyntaxError;
    m_position = Step(m_text, m_position);
    return kScriptOk;
}

// "= type value", when the token in hand is "="; then the token after it.
std::int32_t ScriptRun::ReadAssignment(std::string& token, Entry& entry)
{
    entry.assigned = false;
    if (token != "=")
        return kScriptOk;
    PELRIN_RETURN_IF_FAILED(ReadToken(token));
    entry.isString = EqualsIgnoringAsciiCase(token, "s");
    if (!entry.isString && !EqualsIgnoringAsciiCase(token, "d"))
        return kScriptSyntaxError;
    PELRIN_RETURN_IF_FAILED(ReadToken(entry.value));
    entry.assigned = true;
    return ReadToken(token);
}

// Reads the entry that `token` begins. `token` is then "{" when the entry has
// a block, else the first token after the entry.
std::int32_t ScriptRun::ReadEntry(std::string& token, Entry& entry)
{
    entry.kind = Entry::Kind::Key;
    entry.forceRemoved.clear();
    entry.noRemove = false;
    entry.opensBlock = false;

    if (EqualsIgnoringAsciiCase(token, "Delete")) {
        // The name is a name, whatever keyword it spells.
        entry.kind = Entry::Kind::Delete;
        PELRIN_RETURN_IF_FAILED(ReadToken(entry.name));
        PELRIN_RETURN_IF_FAILED(CheckKeyName(entry.name));
        PELRIN_RETURN_IF_FAILED(ReadToken(token));
        PELRIN_RETURN_IF_FAILED(ReadAssignment(token, entry));
        // The removed key has nothing to hold a block.
        return StartsWith(token, '{') ? kScriptSyntaxError : kScriptOk;
    }
    if (EqualsIgnoringAsciiCase(token, "ForceRemove")) {
        PELRIN_RETURN_IF_FAILED(ReadToken(token));
        PELRIN_RETURN_IF_FAILED(CheckKeyName(token));
        entry.forceRemoved = token;
    }
    if (EqualsIgnoringAsciiCase(token, "NoRemove")) {
        entry.noRemove = true;
        PELRIN_RETURN_IF_FAILED(ReadToken(token));
    }
    if (EqualsIgnoringAsciiCase(token, "Val")) {
        entry.kind = Entry::Kind::Value;
        PELRIN_RETURN_IF_FAILED(ReadToken(entry.name));
        PELRIN_RETURN_IF_FAILED(ReadToken(token));
        if (token != "=")
            return kScriptSyntaxError;
        PELRIN_RETURN_IF_FAILED(ReadAssignment(token, entry));
        // A value has no subkeys to hold a block.
        return StartsWith(token, '{') ? kScriptSyntaxError : kScriptOk;
    }
    PELRIN_RETURN_IF_FAILED(CheckKeyName(token));
    entry.name.swap(token);
    PELRIN_RETURN_IF_FAILED(ReadToken(token));
    PELRIN_RETURN_IF_FAILED(ReadAssignment(token, entry));
    entry.opensBlock = StartsWith(token, '{');
    return kScriptOk;
}

std::int32_t ScriptRun::WriteValue(RegistryKey key, const char* valueName, const Entry& entry)
{
    std::int32_t status = 0;
    if (entry.isString) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry.value.c_str());
        status = m_registry.SetValue(key, valueName, ValueType::String, {bytes, entry.value.size() + 1});
    } else {
        // A text the conversion refuses fails the entry: no made-up number is written.
        std::int32_t number = 0;
        const std::int32_t converted = m_text.TextToInt32(entry.value.c_str(), number);
        if (converted != kScriptOk)
            return converted < 0 ? converted : kScriptFail;
        const auto bits = static_cast<std::uint32_t>(number);
        std::array<std::uint8_t, 4> bytes{};
        std::memcpy(bytes.data(), &bits, bytes.size());
        status = m_registry.SetValue(key, valueName, ValueType::Dword, bytes);
    }
    return HResultFromWin32(status);
}

// One level per entry: no separator, and not empty (an empty name stands for
// the parent itself, which deleting or force-removing would take away whole).
std::int32_t ScriptRun::CheckKeyName(const std::string& name) const noexcept
{
    if (name.empty())
        return kScriptSyntaxError;
    for (const char* p = name.c_str(); *p != '\0'; p = Step(m_text, p)) {
        if (*p == '\\')
            return kScriptSyntaxError;
    }
    return kScriptOk;
}

std::int32_t ScriptRun::OpenOrCreate(RegistryKey parent, const std::string& name, OpenedKey& key)
{
    if (m_registry.OpenKey(parent, name.c_str(), KeyAccess::All, key.Receive()) == 0)
        return kScriptOk;
    if (m_registry.OpenKey(parent, name.c_str(), KeyAccess::Read, key.Receive()) == 0)
        return kScriptOk;
    if (m_registry.CreateKey(parent, name.c_str(), key.Receive()) == 0)
        return kScriptOk;
    return kScriptSyntaxError;
}

bool ScriptRun::HasSubkeys(RegistryKey key)
{
    KeyCounts counts;
    return m_registry.QueryCounts(key, counts) == 0 && counts.subkeys > 0;
}

// A lone non-empty default value does not count: such a key is removed.
bool ScriptRun::HasValues(RegistryKey key)
{
    KeyCounts counts;
    if (m_registry.QueryCounts(key, counts) != 0 || counts.values == 0)
        return false;
    if (counts.values > 1)
        return true;
    std::uint32_t defaultSize = 0;
    const bool loneNonEmptyDefault =
        m_registry.QueryDefaultValueSize(key, defaultSize) == 0 && defaultSize > 0;
    return !loneNonEmptyDefault;
}

std::int32_t ScriptRun::RemoveTree(RegistryKey parent, const char* name, int depth)
{
    if (depth > kMaxBlockDepth)
        return kErrorTooDeep;
    OpenedKey key(m_registry);
    std::int32_t status = m_registry.OpenKey(parent, name, KeyAccess::All, key.Receive());
    if (status != 0)
        return status;
    std::array<char, kSubkeyNameBufferChars> subkey{};
    while (m_registry.EnumSubkey(key.Get(), 0, subkey) == 0) {
        subkey.back() = '\0';
        status = RemoveTree(key.Get(), subkey.data(), depth + 1);
        if (status != 0)
            return status;
    }
    static_cast<void>(key.Close());
    return m_registry.DeleteKey(parent, name);
}

// Steps over a block whose "{" has been read, and every block nested in it,
// touching nothing; blocks nested deeper than `deepest` (the block itself
// counts 1) fail. Iterative, so that no nesting of blocks that are only
// stepped over can exhaust the stack.
std::int32_t ScriptRun::StepOverBlock(std::size_t deepest)
{
    std::string token;
    Entry entry;
    std::size_t openBlocks = 1;
    PELRIN_RETURN_IF_FAILED(ReadToken(token));
    for (;;) {
        if (StartsWith(token, '}')) {
            if (--openBlocks == 0)
                return kScriptOk;
            PELRIN_RETURN_IF_FAILED(ReadToken(token));
            continue;
        }
        PELRIN_RETURN_IF_FAILED(ReadEntry(token, entry));
        if (entry.opensBlock) {
            if (++openBlocks > deepest)
                return kScriptSyntaxError;
            PELRIN_RETURN_IF_FAILED(ReadToken(token));
        }
    }
}

std::int32_t ScriptRun::RegisterBlock(RegistryKey parent, int depth)
{
    if (depth > kMaxBlockDepth)
        return kScriptSyntaxError;

    std::string token;
    Entry entry;
    OpenedKey key(m_registry);
    PELRIN_RETURN_IF_FAILED(ReadToken(token));
    while (!StartsWith(token, '}')) {
        PELRIN_RETURN_IF_FAILED(ReadEntry(token, entry));
        // What cannot be removed is written over: removal failures do not count.
        if (!entry.forceRemoved.empty() && !IsProtected(entry.forceRemoved))
            static_cast<void>(RemoveTree(parent, entry.forceRemoved.c_str(), 0));
        switch (entry.kind) {
        case Entry::Kind::Delete:
            if (!IsProtected(entry.name))
                static_cast<void>(RemoveTree(parent, entry.name.c_str(), 0));
            break;
        case Entry::Kind::Value:
            PELRIN_RETURN_IF_FAILED(WriteValue(parent, entry.name.c_str(), entry));
            break;
        case Entry::Kind::Key:
            PELRIN_RETURN_IF_FAILED(OpenOrCreate(parent, entry.name, key));
            if (entry.assigned)
                PELRIN_RETURN_IF_FAILED(WriteValue(key.Get(), nullptr, entry));
            if (entry.opensBlock) {
                PELRIN_RETURN_IF_FAILED(RegisterBlock(key.Get(), depth + 1));
                PELRIN_RETURN_IF_FAILED(ReadToken(token));
            }
            break;
        }
    }
    return kScriptOk;
}

std::int32_t ScriptRun::UnregisterBlock(RegistryKey parent, int depth)
{
    if (depth > kMaxBlockDepth)
        return kScriptSyntaxError;

    std::string token;
    Entry entry;
    OpenedKey key(m_registry);
    bool mayRemove = true;
    bool recovering = false;
    PELRIN_RETURN_IF_FAILED(ReadToken(token));
    while (!StartsWith(token, '}')) {
        PELRIN_RETURN_IF_FAILED(ReadEntry(token, entry));
        if (entry.noRemove)
            mayRemove = false; // protects this entry and every later one of this block
        if (entry.kind == Entry::Kind::Value) {
            if (!recovering)
                static_cast<void>(m_registry.DeleteValue(parent, entry.name.c_str()));
            continue;
        }

        // The failed pass removed this key itself: not finding it is no reason
        // to step over the entries after it, which it may have written.
        if (entry.kind == Entry::Kind::Delete && m_rollingBack)
            continue;

        // A key, also when named by Delete. One that cannot be opened, or whose
        // name is longer than any key's, puts the block into recovery: nothing
        // is touched until the block of an entry has been stepped over.
        if (!recovering && (entry.name.size() > kMaxRemovableKeyNameBytes ||
                            m_registry.OpenKey(parent, entry.name.c_str(), KeyAccess::All, key.Receive()) != 0))
            recovering = true;
        if (recovering) {
            if (entry.opensBlock) {
                PELRIN_RETURN_IF_FAILED(StepOverBlock(kAnyDepth));
                PELRIN_RETURN_IF_FAILED(ReadToken(token));
                recovering = false;
            }
            continue;
        }

        // A key with nothing below it goes at once; its block, naming nothing
        // that is there, is then only stepped over.
        const bool holdsAnything = HasSubkeys(key.Get()) || HasValues(key.Get());
        if (entry.opensBlock && holdsAnything) {
            PELRIN_RETURN_IF_FAILED(UnregisterBlock(key.Get(), depth + 1));
            PELRIN_RETURN_IF_FAILED(ReadToken(token));
        }
        // Subkeys the script does not name belong to others: the key stays.
        if (!HasSubkeys(key.Get())) {
            if (key.Close() != 0)
                return kScriptSyntaxError;
            if (mayRemove)
                static_cast<void>(m_registry.DeleteKey(parent, entry.name.c_str()));
        }
        if (entry.opensBlock && !holdsAnything) {
            PELRIN_RETURN_IF_FAILED(StepOverBlock(kAnyDepth));
            PELRIN_RETURN_IF_FAILED(ReadToken(token));
        }
    }
    return kScriptOk;
}

} // namespace

RegistryScriptInterpreter::RegistryScriptInterpreter(RegistryAccess& registry, const AnsiText& text)
    : m_registry(registry), m_text(text)
{
}

std::int32_t RegistryScriptInterpreter::AddSubstitution(std::wstring_view name,
                                                        std::wstring_view value) noexcept
{
    try {
        if (m_substitutions.size() == m_substitutions.capacity())
            m_substitutions.reserve(std::max(kInitialSubstitutionRoom, 2 * m_substitutions.capacity()));
        m_substitutions.push_back({std::wstring(name), std::wstring(value)});
        return kScriptOk;
    } catch (const std::bad_alloc&) {
        return kScriptOutOfMemory;
    }
}

std::int32_t RegistryScriptInterpreter::RunScript(const char* script, bool registerMode) noexcept
{
    if (script == nullptr)
        return kScriptFail;
    try {
        std::string text;
        PELRIN_RETURN_IF_FAILED(Substitute(script, text));
        ScriptRun run(m_registry, m_text, text.c_str());
        return run.Run(registerMode);
    } catch (const std::bad_alloc&) {
        return kScriptOutOfMemory;
    }
}

std::int32_t RegistryScriptInterpreter::Substitute(const char* script, std::string& output) const
{
    output.clear();
    output.reserve(std::max<std::size_t>(2 * std::strlen(script), 1));
    const char* position = script;
    QuoteTracker quotes;
    while (*position != '\0') {
        const char* next = Step(m_text, position);
        if (*position != '%') {
            quotes.Pass(*position);
            output.append(position, next);
            position = next;
            continue;
        }
        position = next;
        if (*position == '%') {
            quotes.Pass('%');
            output.push_back('%');
            position = Step(m_text, position);
            continue;
        }
        const char* const nameStart = position;
        while (*position != '\0' && *position != '%')
            position = Step(m_text, position);
        if (*position == '\0')
            return kScriptSyntaxError;
        const std::string_view name(nameStart, static_cast<std::size_t>(position - nameStart));
        if (name.size() > kMaxPlaceholderNameBytes)
            return kScriptFail;

        const Substitution* found = nullptr;
        std::string ansi;
        for (const Substitution& substitution : m_substitutions) {
            PELRIN_RETURN_IF_FAILED(m_text.ToAnsi(substitution.name, ansi));
            if (EqualsIgnoringAsciiCase(ansi, name)) {
                found = &substitution;
                break;
            }
        }
        if (found == nullptr)
            return kScriptSyntaxError;
        PELRIN_RETURN_IF_FAILED(m_text.ToAnsi(found->value, ansi));
        // Doubled, an apostrophe of the value stays inside its quoted token;
        // elsewhere the value is text as if written there.
        const bool doubleQuotes = quotes.InQuotes();
        for (const char* v = ansi.c_str(); *v != '\0';) {
            const char* const vNext = Step(m_text, v);
            if (doubleQuotes && *v == kQuote) {
                quotes.Pass(kQuote);
                output.push_back(kQuote);
            }
            quotes.Pass(*v);
            output.append(v, vNext);
            v = vNext;
        }
        position = Step(m_text, position);
    }
    return kScriptOk;
}

#undef PELRIN_RETURN_IF_FAILED

} // namespace pelrin
