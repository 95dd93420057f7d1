// libFuzzer target: the key list of the settings file's section, as anyone may
// have written the file, read for the numbers of its phrase keys. The first
// eight bytes give the range of numbers asked for; the rest is the list.

#include "ignored/phrase_keys.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace pelrin;
    std::int32_t range[2] = {};
    if (size < sizeof range)
        return 0;
    std::memcpy(range, data, sizeof range);
    const std::string_view keyList(reinterpret_cast<const char*>(data + sizeof range), size - sizeof range);

    const std::set<int> numbers = PhraseNumbersInKeyList(keyList, range[0], range[1]);
    for (const int number : numbers) {
        // In range, and the key of that number reads back as it.
        char key[kPhraseKeyBufferSize];
        FormatPhraseKey(key, number);
        int back = -1;
        if (number < range[0] || number >= range[1] || !ParsePhraseKey(key, back) || back != number)
            __builtin_trap();
    }
    return 0;
}
