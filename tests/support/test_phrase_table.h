#pragma once
// A phrase table of a test's own in both stored forms, built from plain
// groups, so tests load their tables through the same loaders as the
// built-in one: the pointer list, and the RCDATA resources ("PCOUNT",
// "P1".."Pn", scrambled) read through the PhraseResources seam.

#include "base/ascii.h"
#include "engine/phrase_resources.h"
#include "engine/phrase_table.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace pelrin::test {

class TestPhraseTable final : public PhraseResources {
public:
    // Each group is a phrase followed by its alternates.
    TestPhraseTable(std::initializer_list<std::vector<std::string>> groups)
    {
        for (const auto& group : groups)
            for (const auto& text : group)
                m_stored.push_back(Complement(text));
        std::size_t next = 0;
        std::uint32_t number = 0;
        for (const auto& group : groups) {
            std::vector<char> bytes;
            for (std::size_t i = 0; i < group.size(); ++i) {
                m_pointers.push_back(m_stored[next].c_str());
                bytes.insert(bytes.end(), m_stored[next].c_str(), m_stored[next].c_str() + m_stored[next].size() + 1);
                ++next;
            }
            m_pointers.push_back(nullptr);
            std::string name = "p";
            name += std::to_string(++number);
            m_resources[name] = std::move(bytes);
        }
        m_pointers.push_back(nullptr);
        SetCount(number);
    }

    // The table in the form this version's engine loads.
    StoredPhraseTable get() const noexcept
    {
        return std::get<StoredPhraseTable>(std::tuple<const char* const*, const PhraseResources*>(PointerList(), this));
    }

    const char* const* PointerList() const noexcept { return m_pointers.data(); }

    // The resource form, names in lower case, for tests that damage it.
    std::map<std::string, std::vector<char>>& Resources() noexcept { return m_resources; }

    void SetCount(std::uint32_t count)
    {
        m_resources["pcount"] = {static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF),
                                 static_cast<char>((count >> 16) & 0xFF), static_cast<char>(count >> 24)};
    }

    std::optional<std::vector<char>> LoadResourceBytes(const char* name) const override
    {
        const std::string key = ToLowerAscii(name);
        const auto found = m_resources.find(key);
        if (found == m_resources.end() || found->second.empty())
            return std::nullopt;
        std::vector<char> copy = found->second;
        copy.push_back('\0');
        return copy;
    }

private:
    static std::string Complement(std::string text)
    {
        for (char& c : text)
            c = static_cast<char>(~static_cast<unsigned char>(c));
        return text;
    }

    std::vector<std::string> m_stored;
    std::vector<const char*> m_pointers;
    std::map<std::string, std::vector<char>> m_resources;
};

} // namespace pelrin::test
