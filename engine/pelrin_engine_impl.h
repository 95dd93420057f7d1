#pragma once
// PelrinEngineImpl: the per-object core of the engine. Each engine object owns
// one, with its own full copy of the phrase table, its ignored-phrase list and
// its cached settings paths. The engine object's methods reach the members
// directly.

#include "engine/node_pool.h"
#include "engine/phrase_resources.h"
#include "engine/phrase_store.h"
#include "engine/phrase_table.h"

#include <array>
#include <string>

namespace pelrin {

class PelrinEngineImpl {
public:
    // Loads the built-in table. Throws kE_UNEXPECTED (a plain HRESULT) when
    // the table cannot be loaded; a half-loaded store is never handed out.
    PelrinEngineImpl() : PelrinEngineImpl(BuiltInPhraseTable()) {}

    // Loads the given table instead (tests bring their own), in either form.
    // The pointer list reports through the trace level; the resource form
    // writes its own lines to the debugger channel, whatever the level.
    explicit PelrinEngineImpl(const char* const* phraseTable);
    explicit PelrinEngineImpl(const PhraseResources* resources);

    PelrinEngineImpl(const PelrinEngineImpl&) = delete;
    PelrinEngineImpl& operator=(const PelrinEngineImpl&) = delete;

private:
    // First, so it outlives the containers that allocate from it.
    NodePool m_pool;

public:
    std::array<FirstWordMap, kBucketCount> m_buckets;
    AlternateMap m_alternates;
    PhraseSet m_ignoredPhrases;
    // The phrases that ignoring took out of their sets, in the table's
    // spelling, whatever spelling the list keeps; a listed phrase missing here
    // was only loaded from the settings file and never left its set.
    PhraseSet m_movedPhrases;
    // The settings paths, empty until the settings file is first used.
    std::string m_appFolder;
    std::string m_appIniFile;

private:
    // Builds the empty store; each public constructor then loads its form.
    struct EmptyStore {};
    explicit PelrinEngineImpl(EmptyStore);
    void LoadPhraseTable(const char* const* table);
    void LoadPhraseTable(const PhraseResources& resources);
    // Puts a loaded phrase into its first word's set (created when missing)
    // and returns the stored copy. A phrase whose first byte is not ASCII
    // (it has no bucket) or that the set holds in any letter case is first
    // reported, as report(prior or null, phrase), then refused by throwing
    // kE_UNEXPECTED.
    template <typename Report>
    const std::string& StorePhrase(std::string phrase, Report report);
    // Adds an alternate after those the phrase has.
    void StoreAlternate(const std::string& phrase, std::string alternate);
};

} // namespace pelrin
