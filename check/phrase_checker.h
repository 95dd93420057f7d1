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
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
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
    std::size_t DistinctWordsAsked() const noexcept { return m_candidates.size(); }

private:
    struct Candidate {
        std::string phrase;
        std::vector<std::string> words; // ASCII letters in lower case
        bool alternatesAsked = false;
        std::vector<std::string> alternates;
    };
    // Longest first; ignored phrases left out.
    // The map's nodes stay put, so a list outlives later insertions.
    std::vector<Candidate>& CandidatesOf(const std::string& key);
    const std::vector<std::string>& AlternatesOf(Candidate& candidate);

    PhraseSource& m_source;
    std::unordered_set<std::string> m_ignored; // ASCII letters in lower case
    std::unordered_map<std::string, std::vector<Candidate>> m_candidates;
    std::size_t m_wordsRead = 0;
};

} // namespace pelrin::check
