#include "ignored/phrase_keys.h"

#include "base/ascii.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace pelrin {
namespace {

constexpr std::string_view kPrefix = "Phrase";

} // namespace

void FormatPhraseKey(char (&key)[kPhraseKeyBufferSize], int number) noexcept
{
    std::snprintf(key, sizeof key, "Phrase%d", number);
}

bool ParsePhraseKey(std::string_view name, int& number) noexcept
{
    if (name.size() <= kPrefix.size() || !EqualsIgnoringAsciiCase(name.substr(0, kPrefix.size()), kPrefix))
        return false;
    const std::string_view digits = name.substr(kPrefix.size());
    if (digits.front() < '0' || digits.front() > '9' || (digits.front() == '0' && digits.size() > 1))
        return false;
    const char* const end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, number);
    return error == std::errc() && stop == end;
}

std::set<int> PhraseNumbersInKeyList(std::string_view keyList, int from, int count)
{
    std::set<int> numbers;
    while (!keyList.empty() && keyList.front() != '\0') {
        const std::size_t end = std::min(keyList.find('\0'), keyList.size());
        int number = 0;
        if (ParsePhraseKey(keyList.substr(0, end), number) && number >= from && number < count)
            numbers.insert(number);
        keyList.remove_prefix(std::min(end + 1, keyList.size()));
    }
    return numbers;
}

} // namespace pelrin
