#include "ignored/ignored_list.h"

#include "diag/trace.h"

#include <string_view>

namespace pelrin {
namespace {

// The bucket of a first word whose first byte is an ASCII letter or digit
// (capitals folded), or null for any other first byte, the empty word's
// terminating zero included.
FirstWordMap* BucketOfWord(PelrinEngineImpl& impl, std::string_view word) noexcept
{
    const int index = BucketIndex(word.empty() ? '\0' : word.front());
    if (index < 0 || !IsAsciiAlnum(index))
        return nullptr;
    return &impl.m_buckets[static_cast<std::size_t>(index)];
}

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
        return kE_UNEXPECTED;
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
    return kS_OK;
}

HRESULT RestoreIgnoredPhrase(PelrinEngineImpl& impl, const std::string& phrase)
{
    const auto listed = impl.m_ignoredPhrases.find(phrase);
    if (listed == impl.m_ignoredPhrases.end())
        return kE_UNEXPECTED;
    switch (PutBackIntoStore(impl, *listed)) {
    case PutBack::NoBucket:
        return kE_UNEXPECTED;
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
            return kE_UNEXPECTED;
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
