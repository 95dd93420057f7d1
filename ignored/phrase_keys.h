#pragma once
// The key names of the saved phrases in the settings file, "Phrase<n>", and
// reading them back out of a section's key list, which comes from the file as
// anyone may have written it. Windows-free.

#include <cstddef>
#include <set>
#include <string_view>

namespace pelrin {

inline constexpr std::size_t kPhraseKeyBufferSize = 32;

void FormatPhraseKey(char (&key)[kPhraseKeyBufferSize], int number) noexcept;

// The number of a key written by FormatPhraseKey. Key names match without
// regard to ASCII case, as the profile functions match them; "Phrase07" and
// "Phrase+7" are other keys than "Phrase7".
bool ParsePhraseKey(std::string_view name, int& number) noexcept;

// The numbers n, from <= n < count, of the phrase keys in a key list: names
// each ended by a zero byte, the list by an empty name or the end of the text.
std::set<int> PhraseNumbersInKeyList(std::string_view keyList, int from, int count);

} // namespace pelrin
