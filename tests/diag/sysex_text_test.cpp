// Text forms of error records and the layout of the error dialog's template.

#include "diag/error_dialog_template.h"
#include "diag/sysex_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace pelrin {
namespace {

std::string Location(std::string_view module, const char* file, std::int32_t line)
{
    char out[kLocationSize + 8];
    std::memset(out, '#', sizeof out);
    BuildLocationText(std::span<char, kLocationSize>(out, kLocationSize), module, file, line);
    // Nothing beyond the field is touched.
    EXPECT_EQ(std::string(out + kLocationSize, 8), std::string(8, '#'));
    return out;
}

TEST(LocationText, KeepsLowerCasedNamesOfModuleAndFile)
{
    EXPECT_EQ(Location("C:\\Program Files\\Pelrin\\Pelrin.dll", "D:\\Src\\Engine\\Table.Dat", 42),
        "[module] pelrin [file] table.dat [line] 42");
    EXPECT_EQ(Location("/opt/lib/PELRIN", "/home/Dev/Sub.Dir/Name.Tar.GZ", -7),
        "[module] pelrin [file] name.tar.gz [line] -7");
    EXPECT_EQ(Location("Lib.Two.DLL", "C:Rel.CPP", 0), "[module] lib.two [file] rel.cpp [line] 0");
    // Only ASCII capitals fold; a folder path with no name leaves the name empty.
    EXPECT_EQ(Location("", "src\\\xC4Q.h", 1), "[module]  [file] \xC4q.h [line] 1");
    EXPECT_EQ(Location("x.dll", "src\\dir\\", 1), "[module] x [file]  [line] 1");
    EXPECT_EQ(Location("x.dll", nullptr, 1), "[module] x [file]  [line] 1");
}

TEST(LocationText, LongNamesAreCutAtTheField)
{
    // The file argument is cut to 259 characters before its name is taken.
    const std::string folder = "C:\\" + std::string(250, 'd') + "\\";
    EXPECT_EQ(Location("m", (folder + "Name.cpp").c_str(), 3), "[module] m [file] name. [line] 3");

    const std::string longName(259, 'N');
    const std::string location = Location(longName + ".dll", (longName + ".cpp").c_str(), 1);
    EXPECT_EQ(location, ("[module] " + std::string(259, 'n')).substr(0, kLocationSize - 1));
}

TEST(PublishedDescription, EightLowerCaseDigitsAndTheBarBeforeTheMessage)
{
    EXPECT_STREQ(PublishedDescription(5, "denied").data(), "00000005|denied");
    EXPECT_STREQ(
        PublishedDescription(static_cast<std::int32_t>(0x8004FFFEu), "a|b").data(), "8004fffe|a|b");
    EXPECT_STREQ(PublishedDescription(0, "").data(), "00000000|");
    const std::string longMessage(600, 'm');
    EXPECT_EQ(std::string(PublishedDescription(-1, longMessage).data()),
        "ffffffff|" + longMessage.substr(0, 511));
}

TEST(PublishedDescription, ReadsBackOneToEightHexDigitsBeforeTheFirstBar)
{
    for (const std::int32_t code : {0, 5, -1, INT32_MIN, INT32_MAX, 0x0ABCDEF0}) {
        const auto text = PublishedDescription(code, "x|y||");
        const auto parts = ParsePublishedDescription(text.data());
        ASSERT_TRUE(parts) << code;
        EXPECT_EQ(parts->code, code);
        EXPECT_EQ(parts->message, "x|y||");
    }
    const auto upper = ParsePublishedDescription("8004FFFE|");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->code, static_cast<std::int32_t>(0x8004FFFEu));
    EXPECT_EQ(upper->message, "");

    const auto fewDigits = ParsePublishedDescription("a|b|c");
    ASSERT_TRUE(fewDigits);
    EXPECT_EQ(fewDigits->code, 10);
    EXPECT_EQ(fewDigits->message, "b|c");

    for (const char* text : {"", "no bar", "00000005", "000000005|x", "0000000g|x", " 0000005|x",
             "+0000005|x", "|00000005|x", "0x000005|x", "5 |x"})
        EXPECT_FALSE(ParsePublishedDescription(text)) << text;
    // A view that ends before the bar is not read past its end.
    const std::string backing = "00000005|tail";
    EXPECT_FALSE(ParsePublishedDescription(std::string_view(backing).substr(0, 8)));
}

// Reads the template back the way the system does.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<std::byte>& block) : m_block(block) {}
    std::size_t Offset() const { return m_offset; }
    std::uint16_t Word()
    {
        EXPECT_LE(m_offset + 2, m_block.size());
        const auto low = std::to_integer<std::uint16_t>(m_block.at(m_offset));
        const auto high = std::to_integer<std::uint16_t>(m_block.at(m_offset + 1));
        m_offset += 2;
        return static_cast<std::uint16_t>(low | high << 8);
    }
    std::uint32_t Dword()
    {
        const std::uint32_t low = Word();
        return low | static_cast<std::uint32_t>(Word()) << 16;
    }
    std::u16string Text()
    {
        std::u16string text;
        while (const std::uint16_t unit = Word())
            text += static_cast<char16_t>(unit);
        return text;
    }
    void Align() { m_offset = (m_offset + 3) & ~std::size_t{3}; }

private:
    const std::vector<std::byte>& m_block;
    std::size_t m_offset = 0;
};

std::basic_string<DialogChar> Wide(const std::u16string& text)
{
    return {text.begin(), text.end()};
}

TEST(ErrorDialogTemplate, HeaderAndSevenItemsOnFourByteBoundaries)
{
    using namespace error_dialog;
    // Text lengths of every remainder modulo 2 bytes-per-unit and 4-byte alignment.
    for (std::size_t extra = 0; extra < 4; ++extra) {
        const std::u16string caption = u"Pelrin" + std::u16string(extra, u'c');
        const std::u16string description = u"Caf\u00e9 |" + std::u16string(extra, u'd');
        const std::u16string system = std::u16string(extra, u's');
        const std::u16string source = u"[module] pelrin";
        const auto w0 = Wide(caption), w1 = Wide(description), w2 = Wide(system), w3 = Wide(source);
        const ErrorDialogTexts texts{w0, w1, w2, w3};
        const std::size_t size = ErrorDialogTemplateSize(texts);
        std::vector<std::byte> block(size + 4, std::byte{0xCC});
        ASSERT_TRUE(WriteErrorDialogTemplate(texts, std::span(block).first(size)));
        EXPECT_EQ(block[size], std::byte{0xCC});

        TemplateReader in(block);
        EXPECT_EQ(in.Dword(), 0x90C808C0u);
        EXPECT_EQ(in.Dword(), 0u);
        EXPECT_EQ(in.Word(), 7u);
        EXPECT_EQ(in.Word(), 0u);
        EXPECT_EQ(in.Word(), 0u);
        EXPECT_EQ(in.Word(), 234u);
        EXPECT_EQ(in.Word(), 100u);
        EXPECT_EQ(in.Word(), 0u); // menu
        EXPECT_EQ(in.Word(), 0u); // class
        EXPECT_EQ(in.Text(), caption);
        EXPECT_EQ(in.Word(), 8u);
        EXPECT_EQ(in.Text(), u"MS Sans Serif");

        const std::u16string itemTexts[] = {
            u"Close", u"Description", u"System", u"Source", description, system, source};
        const std::uint16_t atoms[] = {0x80, 0x82, 0x82, 0x82, 0x81, 0x81, 0x81};
        const std::uint16_t ids[] = {1, 0xFFFF, 0xFFFF, 0xFFFF, 1000, 1001, 1002};
        const std::uint16_t rects[][4] = {{166, 82, 50, 14}, {5, 8, 37, 8}, {5, 40, 25, 8},
            {5, 63, 24, 8}, {43, 7, 182, 28}, {43, 38, 182, 21}, {43, 62, 182, 14}};
        for (std::size_t i = 0; i < 7; ++i) {
            in.Align();
            EXPECT_EQ(in.Offset() % 4, 0u);
            EXPECT_EQ(in.Dword(), i < 4 ? 0x50000000u : 0x50800844u) << i;
            EXPECT_EQ(in.Dword(), 0u);
            for (const std::uint16_t value : rects[i])
                EXPECT_EQ(in.Word(), value) << i;
            EXPECT_EQ(in.Word(), ids[i]);
            EXPECT_EQ(in.Word(), 0xFFFFu);
            EXPECT_EQ(in.Word(), atoms[i]);
            EXPECT_EQ(in.Text(), itemTexts[i]) << i;
            EXPECT_EQ(in.Word(), 0u) << i; // creation data
        }
        EXPECT_EQ(in.Offset(), size);
    }
}

TEST(ErrorDialogTemplate, TextsEndAtTheirFirstZeroAndASmallBlockIsLeftAlone)
{
    const std::basic_string<DialogChar> withZero = Wide(std::u16string(u"ab\0cd", 5));
    const std::basic_string<DialogChar> ab = Wide(u"ab");
    EXPECT_EQ(ErrorDialogTemplateSize({withZero, withZero, withZero, withZero}),
        ErrorDialogTemplateSize({ab, ab, ab, ab}));

    const ErrorDialogTexts texts{ab, ab, ab, ab};
    std::vector<std::byte> small(ErrorDialogTemplateSize(texts) - 1, std::byte{0xCC});
    EXPECT_FALSE(WriteErrorDialogTemplate(texts, small));
    EXPECT_EQ(std::count(small.begin(), small.end(), std::byte{0xCC}),
        static_cast<std::ptrdiff_t>(small.size()));
}

} // namespace
} // namespace pelrin
