// libFuzzer target: the texts of a COM error a caller received, read back by
// SysException::FromComError, and the same text as a file name made into a
// location text. The first byte chooses the result and which texts the error
// carries; the rest is the source, a zero byte, then the description.

#include "diag/sysex.h"
#include "diag/sysex_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

void Expect(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool TerminatedWithin(const char* field, std::size_t size)
{
    return std::memchr(field, '\0', size) != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace pelrin;
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const std::string_view texts(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = texts.find('\0');
    std::optional<std::string_view> source;
    std::optional<std::string_view> description;
    if (choice & 1)
        source = texts.substr(0, split);
    if (choice & 2)
        description = split == std::string_view::npos ? texts : texts.substr(split + 1);
    const std::int32_t result = (choice & 4) ? SYSEX_E_ERROR : static_cast<std::int32_t>(0x80070005u);

    SysException e(1, "f.cpp");
    e.FromComError(result, source, description);
    Expect(TerminatedWithin(e.Location(), kLocationSize) && TerminatedWithin(e.Message(), kMessageSize));
    const auto parts = result == SYSEX_E_ERROR && description ? ParsePublishedDescription(*description)
                                                             : std::nullopt;
    Expect(e.Code() == (parts ? parts->code : result));
    if (parts) {
        // What it read, published again, reads back the same.
        const auto again = PublishedDescription(e.Code(), e.Message());
        const auto back = ParsePublishedDescription(again.data());
        Expect(back && back->code == e.Code() && back->message == e.Message());
    }

    char location[kLocationSize];
    BuildLocationText(location, texts, std::string(texts).c_str(), 42);
    Expect(TerminatedWithin(location, kLocationSize));
    return 0;
}
