#include "ignored/ignored_list.h"

#include "base/release.h"
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

// Moves a phrase that IgnorePhrase took out of its first word's set back
// into it, as the table spells it. The node itself moves, so nothing is
// copied; only the key of a first word too long to be kept inside a string
// needs memory, and running out of it moves nothing.
void PutBack(PelrinEngineImpl& impl, PhraseSet::const_iterator moved)
{
    const std::string_view word = FirstWord(*moved);
    // Ignoring found the phrase in this bucket and left the word's entry there.
    PhraseSet& phrases = (*BucketOfWord(impl, word))[std::string(word)];
    phrases.insert(impl.m_movedPhrases.extract(moved));
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
    // List first: if that runs out of memory nothing has moved yet. The move
    // itself takes the node out of the set and needs none.
    impl.m_ignoredPhrases.insert(phrase);
    impl.m_movedPhrases.insert(phrases.extract(found));
    TRACE_BASIC("CPelrinEngine::AddIgnoredPhrase-3, ignoring '%s'.", phrase.c_str());
    DEBUG_MESSAGE("ignoring '%s'.\n", phrase.c_str());
    return kS_OK;
}

HRESULT RestoreIgnoredPhrase(PelrinEngineImpl& impl, const std::string& phrase)
{
    const auto listed = impl.m_ignoredPhrases.find(phrase);
    if (listed == impl.m_ignoredPhrases.end())
        return kE_UNEXPECTED;
    // A phrase that was only loaded is still in its set, or was never in the
    // table: it just leaves the list.
    const auto moved = impl.m_movedPhrases.find(*listed);
    if (moved != impl.m_movedPhrases.end())
        PutBack(impl, moved);
    impl.m_ignoredPhrases.erase(listed);
    return kS_OK;
}

HRESULT RestoreAllIgnoredPhrases(PelrinEngineImpl& impl)
{
    // Running out of memory part way leaves the phrases put back so far
    // listed like loaded ones, and the list whole.
    while (!impl.m_movedPhrases.empty())
        PutBack(impl, impl.m_movedPhrases.begin());
    impl.m_ignoredPhrases.clear();
    return kS_OK;
}

} // namespace pelrin
