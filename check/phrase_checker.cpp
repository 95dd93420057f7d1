#include "check/phrase_checker.h"

#include "base/ascii.h"

#include <algorithm>
#include <utility>

namespace pelrin::check {
namespace {

// The engine's words of a phrase are separated by single spaces.
std::vector<std::string> SplitAtSpaces(const std::string& phrase)
{
    std::vector<std::string> words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = phrase.find(' ', start);
        words.push_back(phrase.substr(start, space - start));
        if (space == std::string::npos)
            return words;
        start = space + 1;
    }
}

// The words read ahead of the search: a ring that grows to the longest
// phrase tried, so reading reuses the words' storage. Its size stays a power
// of two, so an index wraps with a mask.
class WordWindow {
public:
    WordWindow(std::string_view text, Decoding decoding) : m_reader(text, decoding), m_ring(8) {}

    // True when `count` words are ahead (reading as many as needed).
    bool Has(std::size_t count)
    {
        while (m_count < count && !m_end) {
            if (m_count == m_ring.size()) {
                std::rotate(m_ring.begin(), m_ring.begin() + static_cast<std::ptrdiff_t>(m_head), m_ring.end());
                m_head = 0;
                m_ring.resize(m_ring.size() * 2);
            }
            if (m_reader.Next(At(m_count))) {
                ++m_count;
                ++m_read;
            } else {
                m_end = true;
            }
        }
        return m_count >= count;
    }
    // The i-th word ahead; valid until the next Has.
    Word& At(std::size_t i) { return m_ring[(m_head + i) & (m_ring.size() - 1)]; }
    void Drop(std::size_t count)
    {
        m_head = (m_head + count) & (m_ring.size() - 1);
        m_count -= count;
    }
    std::size_t Read() const noexcept { return m_read; }
    const WordReader& Reader() const noexcept { return m_reader; }

private:
    WordReader m_reader;
    std::vector<Word> m_ring;
    std::size_t m_head = 0;
    std::size_t m_count = 0;
    std::size_t m_read = 0;
    bool m_end = false;
};

} // namespace

PhraseChecker::PhraseChecker(PhraseSource& source, const std::vector<std::string>& ignored)
    : m_source(source)
{
    for (const std::string& phrase : ignored)
        m_ignored.insert(ToLowerAscii(phrase));
}

std::vector<PhraseChecker::Candidate>& PhraseChecker::CandidatesOf(const std::string& key)
{
    // FNV-1a: words are short.
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : key)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    const std::size_t mask = m_slots.size() - 1;
    for (auto i = static_cast<std::size_t>(hash) & mask; m_slots[i].asked != 0; i = (i + 1) & mask) {
        Asked& asked = m_asked[m_slots[i].asked - 1];
        if (m_slots[i].hash == hash && asked.key == key)
            return asked.candidates;
    }

    std::vector<Candidate> candidates;
    for (std::string& phrase : m_source.PhrasesStartingWith(key)) {
        std::string folded = ToLowerAscii(phrase);
        if (m_ignored.count(folded) == 0)
            candidates.push_back({std::move(phrase), SplitAtSpaces(folded), false, {}});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.words.size() > b.words.size(); });
    m_asked.push_back({key, std::move(candidates)});
    if (m_asked.size() * 2 > m_slots.size()) {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const Slot& slot : old) {
            if (slot.asked != 0)
                Index(slot.hash, slot.asked);
        }
    }
    Index(hash, m_asked.size());
    return m_asked.back().candidates;
}

void PhraseChecker::Index(std::uint64_t hash, std::size_t asked)
{
    const std::size_t mask = m_slots.size() - 1;
    auto i = static_cast<std::size_t>(hash) & mask;
    while (m_slots[i].asked != 0)
        i = (i + 1) & mask;
    m_slots[i] = {hash, asked};
}

const std::vector<std::string>& PhraseChecker::AlternatesOf(Candidate& candidate)
{
    if (!candidate.alternatesAsked) {
        candidate.alternates = m_source.AlternatesOf(candidate.phrase);
        candidate.alternatesAsked = true;
    }
    return candidate.alternates;
}

std::optional<TextPosition> PhraseChecker::Check(std::string_view text, Decoding decoding,
                                                 const std::function<void(const Finding&)>& report)
{
    if (!decoding.singleByte) {
        if (const std::optional<TextPosition> bad = FindInvalidUtf8(text))
            return bad;
    }
    WordWindow window(text, decoding);
    while (window.Has(1)) {
        std::size_t used = 1;
        if (window.At(0).matchable) {
            for (Candidate& candidate : CandidatesOf(window.At(0).key)) {
                const std::size_t length = candidate.words.size();
                if (!window.Has(length))
                    continue;
                bool match = true;
                for (std::size_t i = 0; i < length && match; ++i) {
                    const Word& word = window.At(i);
                    match = word.matchable && (i == 0 || word.afterSpaceOnly) && word.key == candidate.words[i];
                }
                if (!match)
                    continue;
                std::string written = window.Reader().Written(window.At(0));
                for (std::size_t i = 1; i < length; ++i)
                    written.append(" ").append(window.Reader().Written(window.At(i)));
                report(Finding{window.At(0).position, std::move(written), candidate.phrase,
                               AlternatesOf(candidate)});
                used = length;
                break;
            }
        }
        window.Drop(used);
    }
    m_wordsRead += window.Read();
    return window.Reader().Error();
}

} // namespace pelrin::check
