#pragma once
// Finds the engine's wordy phrases in a text. Windows-free: the engine is
// reached through PhraseSource, which asks it once per distinct word and
// once per phrase found.
//
// A phrase matches where its words follow one another in the text, ASCII
// case ignored, with only spaces, tabs and line breaks between them (any run
// of them counts as one space), so punctuation ends a phrase. Where several
// phrases start at the same word the longest wins, and the search goes on
// from the word after the match.

#include "check/text_reader.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pelrin::check {

// The engine's answers. Failures throw EngineFailure.
class PhraseSource {
public:
    virtual ~PhraseSource() = default;
    // The phrases whose first word is `word` (ASCII case ignored), in UTF-8.
    virtual std::vector<std::string> PhrasesStartingWith(const std::string& word) = 0;
    // The alternates of exactly `phrase`, in table order.
    virtual std::vector<std::string> AlternatesOf(const std::string& phrase) = 0;
};

class EngineFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Finding {
    TextPosition position; // of the phrase's first character
    std::string written;   // as in the text, one space between its words
    const std::string& phrase;
    const std::vector<std::string>& alternates;
};

class PhraseChecker {
public:
    // `ignored`: phrases never reported, ASCII case ignored.
    PhraseChecker(PhraseSource& source, const std::vector<std::string>& ignored);

    // Calls `report` for each phrase of the text, in order. A text that is
    // not UTF-8 (when read as UTF-8) reports nothing and gives the position
    // of the first bad byte.
    std::optional<TextPosition> Check(std::string_view text, Decoding decoding,
                                      const std::function<void(const Finding&)>& report);

    std::size_t WordsRead() const noexcept { return m_wordsRead; }
    std::size_t DistinctWordsAsked() const noexcept { return m_asked.size(); }

private:
    struct Candidate {
        std::string phrase;
        std::vector<std::string> words; // ASCII letters in lower case
        bool alternatesAsked = false;
        std::vector<std::string> alternates;
    };
    // A word asked, and its candidates: longest first, ignored ones left out.
    struct Asked {
        std::string key;
        std::vector<Candidate> candidates;
    };
    // A deque's elements stay put, so a list outlives later insertions.
    std::vector<Candidate>& CandidatesOf(const std::string& key);
    const std::vector<std::string>& AlternatesOf(Candidate& candidate);
    void Index(std::uint64_t hash, std::size_t asked);

    PhraseSource& m_source;
    std::unordered_set<std::string> m_ignored; // ASCII letters in lower case
    std::deque<Asked> m_asked;
    // Every word read is looked up, most of them often: an open-addressing
    // table (linear probing, at most half full) of the words' hashes and
    // places in m_asked (from 1; 0 for an empty slot) keeps a lookup to one
    // or two cache lines.
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t asked = 0;
    };
    std::vector<Slot> m_slots = std::vector<Slot>(1024);
    std::size_t m_wordsRead = 0;
};

} // namespace pelrin::check
