#pragma once
// The in-memory registry's ANSI text stepped as a double-byte code page
// steps it: the bytes of a range lead two-byte characters. The conversions
// are HostAnsiText's.

#include "server/registry/memory_registry.h"

namespace pelrin::test {

class LeadByteText final : public AnsiText {
public:
    // Bytes first..last lead two-byte characters; none until set.
    void SetLeadBytes(unsigned char first, unsigned char last) noexcept
    {
        m_firstLead = first;
        m_lastLead = last;
    }
    // Makes a lead byte step over whatever follows it, terminator included, as a
    // careless code page implementation might.
    void SetStepsOverTerminator(bool on) noexcept { m_stepsOverTerminator = on; }

    const char* NextCharacter(const char* text) const override
    {
        const auto byte = static_cast<unsigned char>(*text);
        if (byte != 0 && byte >= m_firstLead && byte <= m_lastLead && (text[1] != '\0' || m_stepsOverTerminator))
            return text + 2;
        return m_host.NextCharacter(text);
    }
    std::int32_t ToAnsi(std::wstring_view text, std::string& ansi) const override
    {
        return m_host.ToAnsi(text, ansi);
    }
    std::int32_t TextToInt32(const char* text, std::int32_t& number) const override
    {
        return m_host.TextToInt32(text, number);
    }

private:
    HostAnsiText m_host;
    unsigned m_firstLead = 0x100; // none
    unsigned m_lastLead = 0;
    bool m_stepsOverTerminator = false;
};

} // namespace pelrin::test
