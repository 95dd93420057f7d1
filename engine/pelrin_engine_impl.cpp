#include "engine/pelrin_engine_impl.h"

#include "diag/trace.h"
#include "engine/complement_bytes.h"
#include "engine/engine_error.h"
#include "engine/phrase_table.h"
#include "engine/tick_clock.h"

#include <cstdio>
#include <utility>

namespace pelrin {

namespace {
template <std::size_t... Index>
std::array<FirstWordMap, sizeof...(Index)> MakeBuckets(std::pmr::memory_resource* pool,
                                                       std::index_sequence<Index...>)
{
    return {{(static_cast<void>(Index), FirstWordMap(pool))...}};
}
} // namespace

PelrinEngineImpl::PelrinEngineImpl(EmptyStore)
    : m_buckets(MakeBuckets(&m_pool, std::make_index_sequence<kBucketCount>())),
      m_alternates(&m_pool),
      m_ignoredPhrases(&m_pool),
      m_movedPhrases(&m_pool)
{
    // Before the first message, so that it already obeys the variable.
    if constexpr (release::kTraceLevel)
        RefreshTraceLevel();
}

PelrinEngineImpl::PelrinEngineImpl(const char* const* phraseTable) : PelrinEngineImpl(EmptyStore{})
{
    LoadPhraseTable(phraseTable);
}

PelrinEngineImpl::PelrinEngineImpl(const PhraseResources* resources) : PelrinEngineImpl(EmptyStore{})
{
    LoadPhraseTable(*resources);
}

template <typename Report>
const std::string& PelrinEngineImpl::StorePhrase(std::string phrase, Report report)
{
    const std::string_view word = FirstWord(phrase);
    const int bucket = BucketIndex(word.empty() ? '\0' : word.front());
    if (bucket < 0) {
        // Would index before the buckets; no word lookup could reach it anyway.
        report(nullptr, phrase);
        throw kE_UNEXPECTED;
    }
    PhraseSet& phrases =
        m_buckets[static_cast<std::size_t>(bucket)].try_emplace(std::string(word)).first->second;
    const auto prior = phrases.find(phrase);
    if (prior != phrases.end()) {
        report(prior->c_str(), phrase);
        throw kE_UNEXPECTED;
    }
    return *phrases.insert(std::move(phrase)).first;
}

void PelrinEngineImpl::StoreAlternate(const std::string& phrase, std::string alternate)
{
    // The table comes nearly in byte order, so the end is nearly always the
    // place: one comparison instead of a search. A wrong hint costs only
    // that comparison, and an alternate still goes after those of its phrase.
    m_alternates.emplace_hint(m_alternates.end(), phrase, std::move(alternate));
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

        const std::string& stored = StorePhrase(std::move(phrase), [](const char* prior, const std::string& current) {
            if (prior == nullptr)
                TRACE_BASIC("PelrinEngineImpl::PelrinEngineImpl-2, phrase does not begin with an "
                            "ASCII byte: /%s/",
                            current.c_str());
            else
                TRACE_BASIC("Duplicate phrase: prior: /%s/ current: /%s/", prior, current.c_str());
        });

        for (++entry; table[entry] != nullptr; ++entry) {
            std::string alternate = ComplementBytes(table[entry]);
            TRACE_VERBOSE("    Alternate: %s", alternate.c_str());
            StoreAlternate(stored, std::move(alternate));
        }
        ++entry; // past the null that ends the group
    }

    const std::uint32_t elapsed = TickCountMs() - start;
    TRACE_BASIC("PelrinEngineImpl::PelrinEngineImpl-4, loaded %d phrase(s) in %d millisec", groups,
                static_cast<int>(elapsed));
}

void PelrinEngineImpl::LoadPhraseTable(const PhraseResources& resources)
{
    const std::uint32_t start = TickCountMs();

    const auto count = resources.LoadResourceBytes("pcount");
    // Fewer than 4 bytes (and the added zero) would be read past their end.
    if (!count || count->size() < 5) {
        DebugMessage("resource pcount not found\n");
        throw kE_UNEXPECTED;
    }
    std::uint32_t groups = 0;
    for (std::size_t i = 4; i-- > 0;)
        groups = (groups << 8) | static_cast<unsigned char>((*count)[i]);
    DebugMessage("# of phrases: %d\n", static_cast<int>(groups));

    // 64 bits: a count of 2^32 - 1 must not wrap the counter into a loop.
    for (std::uint64_t k = 1; k <= groups; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "p%u", static_cast<unsigned>(k));
        const auto group = resources.LoadResourceBytes(name);
        if (!group || group->empty() || group->back() != '\0') {
            DebugMessage("resource %s not found\n", name);
            throw kE_UNEXPECTED;
        }
        // The added zero ends every string, the last one included.
        const char* at = group->data();
        const char* const end = at + group->size();
        std::string phrase = ComplementBytes(at);
        at += phrase.size() + 1;
        const std::string& stored =
            StorePhrase(std::move(phrase), [](const char* prior, const std::string& current) {
                if (prior == nullptr)
                    DebugMessage("phrase does not begin with an ASCII byte: /%s/\n", current.c_str());
                else
                    DebugMessage("Duplicate phrase: prior: /%s/ current: /%s/\n", prior, current.c_str());
            });

        // An empty string, or the end of the data, ends the group.
        while (at < end && *at != '\0') {
            std::string alternate = ComplementBytes(at);
            at += alternate.size() + 1;
            StoreAlternate(stored, std::move(alternate));
        }
    }

    const std::uint32_t elapsed = TickCountMs() - start;
    DebugMessage("loaded %d phrase(s) in %d millisec\n", static_cast<int>(groups),
                 static_cast<int>(elapsed));
}

} // namespace pelrin
