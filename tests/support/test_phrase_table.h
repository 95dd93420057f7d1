#pragma once
// A phrase table in the stored pointer-list form, built from plain groups, so
// tests load their own tables through the same loader as the built-in one.

#include <initializer_list>
#include <string>
#include <vector>

namespace pelrin::test {

class TestPhraseTable {
public:
    // Each group is a phrase followed by its alternates.
    TestPhraseTable(std::initializer_list<std::vector<std::string>> groups)
    {
        for (const auto& group : groups)
            for (const auto& text : group)
                m_stored.push_back(Complement(text));
        std::size_t next = 0;
        for (const auto& group : groups) {
            for (std::size_t i = 0; i < group.size(); ++i)
                m_pointers.push_back(m_stored[next++].c_str());
            m_pointers.push_back(nullptr);
        }
        m_pointers.push_back(nullptr);
    }

    const char* const* get() const noexcept { return m_pointers.data(); }

private:
    static std::string Complement(std::string text)
    {
        for (char& c : text)
            c = static_cast<char>(~static_cast<unsigned char>(c));
        return text;
    }

    std::vector<std::string> m_stored;
    std::vector<const char*> m_pointers;
};

} // namespace pelrin::test
