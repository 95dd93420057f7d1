#include "engine/word_lookup.h"

#include "base/release.h"

namespace pelrin {

const PhraseSet* FindPhrasesOfFirstWord(const PelrinEngineImpl& impl, const std::string& word)
{
    if (word.empty())
        return nullptr;
    const int folded = BucketIndex(word.front());
    if (folded < 0)
        return nullptr;
    if (release::kLetterOrDigitFirstByte && !IsAsciiAlnum(folded))
        return nullptr;
    const FirstWordMap& bucket = impl.m_buckets[static_cast<std::size_t>(folded)];
    if (bucket.empty())
        return nullptr;
    const auto found = bucket.find(word);
    if (found == bucket.end())
        return nullptr;
    if (!release::kEmptiedWordIsEmptyArray && found->second.empty())
        return nullptr;
    return &found->second;
}

} // namespace pelrin
