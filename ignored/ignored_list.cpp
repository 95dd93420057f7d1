#include "ignored/ignored_list.h"

#include "diag/release.h"
#include "diag/trace.h"

#include <string_view>

namespace pelrin {
namespace {

// The bucket of a first word (capitals folded), or null when its first byte
// has none: with the letter-or-digit rule any byte but an ASCII letter or
// digit, the empty word's terminating zero included; without it a byte of
// 0x80 or above, which would index before the buckets.
FirstWordMap* BucketOfWord(PelrinEngineImpl& impl, std::string_view word) noexcept
{
    const int index = BucketIndex(word.empty() ? '\0' : word.front());
    if (index < 0 || (release::kLetterOrDigitFirstByte && !IsAsciiAlnum(index)))
        return nullptr;
    return &impl.m_buckets[static_cast<std::size_t>(index)];
}

// Without the rule a first byte without a bucket is no error: there is
// simply nothing to move.
constexpr HRESULT kNoBucket = release::kLetterOrDigitFirstByte ? kE_UNEXPECTED : kS_OK;

enum class PutBack { Done, NoBucket, BucketEmpty };

// Inserts a listed phrase into the PhraseSet of its first word, creating the
// entry when needed; a set that already holds it in any case is unchanged.
PutBack PutBackIntoStore(PelrinEngineImpl& impl, const std::string& listed)
{
    const std::string_view word = FirstWord(listed);
    FirstWordMap* bucket = BucketOfWord(impl, word);
    if (bucket == nullptr)
        return PutBack::NoBucket;
    if (bucket->empty())
        return PutBack::BucketEmpty;
    (*bucket)[std::string(word)].insert(listed);
    return PutBack::Done;
}

} // namespace

HRESULT IgnorePhrase(PelrinEngineImpl& impl, const std::string& phrase)
{
    const std::string_view word = FirstWord(phrase);
    if (word.empty())
        return kS_OK;
    FirstWordMap* bucket = BucketOfWord(impl, word);
    if (bucket == nullptr)
        return kNoBucket;
    if (bucket->empty())
        return kS_OK;
    // The lookup creates the word's entry when it is missing, and the entry
    // stays: word matching then answers that word with an empty list.
    PhraseSet& phrases = (*bucket)[std::string(word)];
    const auto found = phrases.find(phrase);
    if (found == phrases.end())
        return kS_OK;
    // Insert first: if that runs out of memory nothing has moved yet.
    impl.m_ignoredPhrases.insert(phrase);
    phrases.erase(found);
    TRACE_BASIC("CPelrinEngine::AddIgnoredPhrase-3, ignoring '%s'.", phrase.c_str());
    DEBUG_MESSAGE("ignoring '%s'.\n", phrase.c_str());
    return kS_OK;
}

HRESULT RestoreIgnoredPhrase(PelrinEngineImpl& impl, const std::string& phrase)
{
    const auto listed = impl.m_ignoredPhrases.find(phrase);
    if (listed == impl.m_ignoredPhrases.end())
        return kE_UNEXPECTED;
    switch (PutBackIntoStore(impl, *listed)) {
    case PutBack::NoBucket:
        return kNoBucket;
    case PutBack::BucketEmpty:
        return kS_OK;
    case PutBack::Done:
        break;
    }
    impl.m_ignoredPhrases.erase(listed);
    return kS_OK;
}

HRESULT RestoreAllIgnoredPhrases(PelrinEngineImpl& impl)
{
    for (const std::string& listed : impl.m_ignoredPhrases) {
        switch (PutBackIntoStore(impl, listed)) {
        case PutBack::NoBucket:
            return kNoBucket;
        case PutBack::BucketEmpty:
            return kS_OK;
        case PutBack::Done:
            break;
        }
    }
    impl.m_ignoredPhrases.clear();
    return kS_OK;
}

} // namespace pelrin
