#pragma once
// The error dialog's in-memory template, as the system's DLGTEMPLATE and
// DLGITEMTEMPLATE records, laid out without any platform call.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace pelrin {

// UTF-16 code units: wchar_t where it has 16 bits (Windows), char16_t elsewhere.
using DialogChar = std::conditional_t<sizeof(wchar_t) == 2, wchar_t, char16_t>;
using DialogText = std::basic_string_view<DialogChar>;

// Values of the platform's constants, so the layout needs no platform header.
namespace error_dialog {
// Popup, visible, caption, system menu, modal frame, centred, font given.
inline constexpr std::uint32_t kDialogStyle = 0x90C808C0;
// Child, visible; a push button and left-aligned text add nothing.
inline constexpr std::uint32_t kChildStyle = 0x50000000;
// Child, visible, border, multi-line, auto-scrolling vertically, read-only.
inline constexpr std::uint32_t kEditStyle = 0x50800844;
inline constexpr std::uint16_t kButtonAtom = 0x0080;
inline constexpr std::uint16_t kEditAtom = 0x0081;
inline constexpr std::uint16_t kStaticAtom = 0x0082;
inline constexpr std::uint16_t kCloseId = 1;      // IDOK
inline constexpr std::uint16_t kLabelId = 0xFFFF; // -1
inline constexpr std::uint16_t kDescriptionId = 1000;
inline constexpr std::uint16_t kSystemId = 1001;
inline constexpr std::uint16_t kSourceId = 1002;
inline constexpr std::int16_t kWidth = 234;
inline constexpr std::int16_t kHeight = 100;
inline constexpr std::uint16_t kFontPoints = 8;
inline constexpr std::string_view kTypeface = "MS Sans Serif";

// Which text an item shows: a fixed label or one of the record's texts.
enum class ItemText { Fixed, Description, System, Source };

struct Item {
    std::uint16_t classAtom;
    std::uint16_t id;
    std::int16_t x, y, cx, cy;
    std::uint32_t style;
    ItemText text;
    std::string_view label; // for ItemText::Fixed
};

inline constexpr std::array<Item, 7> kItems{{
    {kButtonAtom, kCloseId, 166, 82, 50, 14, kChildStyle, ItemText::Fixed, "Close"},
    {kStaticAtom, kLabelId, 5, 8, 37, 8, kChildStyle, ItemText::Fixed, "Description"},
    {kStaticAtom, kLabelId, 5, 40, 25, 8, kChildStyle, ItemText::Fixed, "System"},
    {kStaticAtom, kLabelId, 5, 63, 24, 8, kChildStyle, ItemText::Fixed, "Source"},
    {kEditAtom, kDescriptionId, 43, 7, 182, 28, kEditStyle, ItemText::Description, {}},
    {kEditAtom, kSystemId, 43, 38, 182, 21, kEditStyle, ItemText::System, {}},
    {kEditAtom, kSourceId, 43, 62, 182, 14, kEditStyle, ItemText::Source, {}},
}};
} // namespace error_dialog

// The variable texts; each ends at its first zero, if it has one.
struct ErrorDialogTexts {
    DialogText caption;
    DialogText description;
    DialogText system;
    DialogText source;
};

// Bytes the whole template takes.
std::size_t ErrorDialogTemplateSize(const ErrorDialogTexts& texts) noexcept;

// Lays the template out at the start of block, which must hold
// ErrorDialogTemplateSize(texts) bytes and start on a 4-byte boundary; every
// byte up to that size is written. Returns false, writing nothing, when the
// block is too small.
bool WriteErrorDialogTemplate(const ErrorDialogTexts& texts, std::span<std::byte> block) noexcept;

} // namespace pelrin
