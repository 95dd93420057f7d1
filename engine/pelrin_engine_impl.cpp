#include "engine/pelrin_engine_impl.h"

#include "diag/trace.h"
#include "engine/complement_bytes.h"
#include "engine/engine_error.h"
#include "engine/phrase_table.h"
#include "engine/tick_clock.h"

#include <utility>

namespace pelrin {

PelrinEngineImpl::PelrinEngineImpl() : PelrinEngineImpl(BuiltInPhraseTable()) {}

namespace {
template <std::size_t... Index>
std::array<FirstWordMap, sizeof...(Index)> MakeBuckets(std::pmr::memory_resource* pool,
                                                       std::index_sequence<Index...>)
{
    return {{(static_cast<void>(Index), FirstWordMap(pool))...}};
}
} // namespace

PelrinEngineImpl::PelrinEngineImpl(const char* const* phraseTable)
    : m_buckets(MakeBuckets(&m_pool, std::make_index_sequence<kBucketCount>())),
      m_alternates(&m_pool),
      m_ignoredPhrases(&m_pool)
{
    RefreshTraceLevel();
    LoadPhraseTable(phraseTable);
}

void PelrinEngineImpl::LoadPhraseTable(const char* const* table)
{
    TRACE_BASIC("PelrinEngineImpl::PelrinEngineImpl-1, entering");
    const std::uint32_t start = TickCountMs();

    std::size_t entry = 0;
    int groups = 0;
    while (table[entry] != nullptr) {
        ++groups;
        std::string phrase = ComplementBytes(table[entry]); // moved into its set below
        TRACE_VERBOSE("Phrase: %s", phrase.c_str());

        const std::string_view word = FirstWord(phrase);
        const int bucket = BucketIndex(word.empty() ? '\0' : word.front());
        if (bucket < 0) {
            // Would index before the buckets; no word lookup could reach it anyway.
            TRACE_BASIC("PelrinEngineImpl::PelrinEngineImpl-2, phrase does not begin with an "
                        "ASCII byte: /%s/",
                        phrase.c_str());
            throw kE_UNEXPECTED;
        }
        PhraseSet& phrases = m_buckets[static_cast<std::size_t>(bucket)]
                                 .try_emplace(std::string(word))
                                 .first->second;
        const auto prior = phrases.find(phrase);
        if (prior != phrases.end()) {
            TRACE_BASIC("Duplicate phrase: prior: /%s/ current: /%s/", prior->c_str(),
                        phrase.c_str());
            throw kE_UNEXPECTED;
        }
        const std::string& stored = *phrases.insert(std::move(phrase)).first;

        for (++entry; table[entry] != nullptr; ++entry) {
            std::string alternate = ComplementBytes(table[entry]);
            TRACE_VERBOSE("    Alternate: %s", alternate.c_str());
            m_alternates.emplace(stored, std::move(alternate));
        }
        ++entry; // past the null that ends the group
    }

    const std::uint32_t elapsed = TickCountMs() - start;
    TRACE_BASIC("PelrinEngineImpl::PelrinEngineImpl-4, loaded %d phrase(s) in %d millisec", groups,
                static_cast<int>(elapsed));
}

} // namespace pelrin
