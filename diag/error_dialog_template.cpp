#include "diag/error_dialog_template.h"

#include <algorithm>

namespace pelrin {

namespace {

using namespace error_dialog;

// Walks the layout once: counts bytes, and writes them when it has a block.
class TemplateWriter {
public:
    explicit TemplateWriter(std::byte* block) noexcept : m_block(block) {}

    std::size_t Size() const noexcept { return m_offset; }

    void Word(std::uint16_t value) noexcept
    {
        Byte(static_cast<std::uint8_t>(value & 0xFF));
        Byte(static_cast<std::uint8_t>(value >> 8));
    }
    void Short(std::int16_t value) noexcept { Word(static_cast<std::uint16_t>(value)); }
    void Dword(std::uint32_t value) noexcept
    {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    // A zero-terminated UTF-16 string; the text ends at its first zero.
    void Text(DialogText text) noexcept
    {
        text = text.substr(0, std::min(text.find(DialogChar{0}), text.size()));
        for (const DialogChar unit : text)
            Word(static_cast<std::uint16_t>(unit));
        Word(0);
    }
    // ASCII, whose UTF-16 form is each byte widened.
    void Text(std::string_view ascii) noexcept
    {
        for (const char c : ascii)
            Word(static_cast<std::uint8_t>(c));
        Word(0);
    }
    void AlignToDword() noexcept
    {
        while (m_offset % 4 != 0)
            Byte(0);
    }

private:
    void Byte(std::uint8_t value) noexcept
    {
        if (m_block)
            m_block[m_offset] = std::byte{value};
        ++m_offset;
    }

    std::byte* m_block;
    std::size_t m_offset = 0;
};

DialogText ItemTextOf(const Item& item, const ErrorDialogTexts& texts) noexcept
{
    switch (item.text) {
    case ItemText::Description:
        return texts.description;
    case ItemText::System:
        return texts.system;
    case ItemText::Source:
        return texts.source;
    case ItemText::Fixed:
        break;
    }
    return {};
}

void Lay(TemplateWriter& out, const ErrorDialogTexts& texts) noexcept
{
    // DLGTEMPLATE: style, extended style, item count, x, y, cx, cy.
    out.Dword(kDialogStyle);
    out.Dword(0);
    out.Word(static_cast<std::uint16_t>(kItems.size()));
    out.Short(0);
    out.Short(0);
    out.Short(kWidth);
    out.Short(kHeight);
    out.Word(0); // no menu
    out.Word(0); // the default dialog class
    out.Text(texts.caption);
    out.Word(kFontPoints);
    out.Text(kTypeface);

    for (const Item& item : kItems) {
        out.AlignToDword();
        // DLGITEMTEMPLATE: style, extended style, x, y, cx, cy, id.
        out.Dword(item.style);
        out.Dword(0);
        out.Short(item.x);
        out.Short(item.y);
        out.Short(item.cx);
        out.Short(item.cy);
        out.Word(item.id);
        out.Word(0xFFFF); // the class as a predefined atom
        out.Word(item.classAtom);
        if (item.text == ItemText::Fixed)
            out.Text(item.label);
        else
            out.Text(ItemTextOf(item, texts));
        out.Word(0); // no creation data
    }
}

} // namespace

std::size_t ErrorDialogTemplateSize(const ErrorDialogTexts& texts) noexcept
{
    TemplateWriter counter(nullptr);
    Lay(counter, texts);
    return counter.Size();
}

bool WriteErrorDialogTemplate(const ErrorDialogTexts& texts, std::span<std::byte> block) noexcept
{
    if (block.size() < ErrorDialogTemplateSize(texts))
        return false;
    TemplateWriter writer(block.data());
    Lay(writer, texts);
    return true;
}

} // namespace pelrin
