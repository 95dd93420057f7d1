// Prints what checking a large text costs: pelrin-check's reader and matcher
// over PELRIN.DLL in this process, which is asked once per distinct word.
// Under Wine every MatchWord sends at least one debug message, which costs far
// more than the rest of the work, so the floor is the distinct words times
// one bare message. A bare message is timed right before each MatchWord, so
// both meet the same load on a busy machine; its time is kept out of the
// check's. Run by hand, with no debugger attached:
//   build/win64/wine-run build/win64/bench/check_benchmark.exe [FILE...]
// Without files it reads /usr/share/common-licenses/* and then
// /usr/share/doc/*/copyright, skipping any that is not UTF-8, until it has
// 1 MiB of text.

#include "base/win_owners.h"
#include "bench/benchmark_clock_win.h"
#include "check/engine_client_win.h"
#include "check/file_input_win.h"
#include "check/phrase_checker.h"
#include "tests/server/pelrin_dll_exports.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace pelrin::check;

using pelrin::test::Median;

double NowMs()
{
    return pelrin::test::NowNs() / 1e6;
}

// The engine's answers, with the time spent getting them, and beside each
// MatchWord one bare debug message of the same kind, timed on its own.
class TimedSource final : public PhraseSource {
public:
    explicit TimedSource(PhraseSource& inner) : m_inner(inner) {}
    std::vector<std::string> PhrasesStartingWith(const std::string& word) override
    {
        const double bare = NowMs();
        OutputDebugStringA("CPelrinEngine::MatchWord-1, entering\n");
        const double start = NowMs();
        m_bareMs += start - bare;
        auto answer = m_inner.PhrasesStartingWith(word);
        m_ms += NowMs() - start;
        return answer;
    }
    std::vector<std::string> AlternatesOf(const std::string& phrase) override
    {
        const double start = NowMs();
        auto answer = m_inner.AlternatesOf(phrase);
        m_ms += NowMs() - start;
        return answer;
    }
    double m_ms = 0;
    double m_bareMs = 0;

private:
    PhraseSource& m_inner;
};

// The answers of an earlier check, given again without the engine: what is
// left is the reader's and the matcher's own time.
class ReplaySource final : public PhraseSource {
public:
    explicit ReplaySource(PhraseSource& inner) : m_inner(inner) {}
    std::vector<std::string> PhrasesStartingWith(const std::string& word) override
    {
        if (m_recording)
            return m_phrases[word] = m_inner.PhrasesStartingWith(word);
        return m_phrases.at(word);
    }
    std::vector<std::string> AlternatesOf(const std::string& phrase) override
    {
        if (m_recording)
            return m_alternates[phrase] = m_inner.AlternatesOf(phrase);
        return m_alternates.at(phrase);
    }
    bool m_recording = true;

private:
    PhraseSource& m_inner;
    std::map<std::string, std::vector<std::string>> m_phrases;
    std::map<std::string, std::vector<std::string>> m_alternates;
};

std::vector<std::wstring> Matching(const std::wstring& pattern, bool folders)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const pelrin::UniqueResource<HANDLE, &FindClose, &pelrin::InvalidHandleValue> search(
        FindFirstFileW(pattern.c_str(), &found));
    if (!search)
        return names;
    do {
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (folder == folders && found.cFileName[0] != L'.')
            names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

bool AddFile(const std::wstring& path, std::string& text)
{
    std::string bytes;
    if (ReadInput(path, bytes) != 0 || FindInvalidUtf8(bytes))
        return false;
    text += bytes;
    text += '\n';
    return true;
}

std::string DefaultText(int& files)
{
    constexpr std::size_t kWanted = 1 << 20;
    std::string text;
    const std::wstring licenses = L"Z:\\usr\\share\\common-licenses\\";
    for (const std::wstring& name : Matching(licenses + L"*", false)) {
        if (text.size() < kWanted && AddFile(licenses + name, text))
            ++files;
    }
    const std::wstring docs = L"Z:\\usr\\share\\doc\\";
    for (const std::wstring& name : Matching(docs + L"*", true)) {
        if (text.size() < kWanted && AddFile(docs + name + L"\\copyright", text))
            ++files;
    }
    return text;
}

int Run(int argc, wchar_t** argv)
{
    int files = 0;
    std::string text;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            files += AddFile(argv[i], text) ? 1 : 0;
    } else {
        text = DefaultText(files);
    }

    const double loadStart = NowMs();
    pelrin::test::PelrinDllExports dll;
    pelrin::ComPtr<IClassFactory> factory;
    pelrin::ComPtr<IPelrinEngine> engine;
    if (!dll.Loaded() || FAILED(dll.GetClassObject(CLSID_PelrinEngine, IID_IClassFactory, factory.addressofVoid())) ||
        FAILED(factory->CreateInstance(nullptr, IID_IPelrinEngine, engine.addressofVoid()))) {
        std::fprintf(stderr, "cannot create the engine of %ls\n", pelrin::test::BuiltDllPath().c_str());
        return 1;
    }
    const double loadMs = NowMs() - loadStart;

    constexpr int kRounds = 7;
    std::vector<double> totals, engines, floors, ratios;
    std::size_t words = 0, distinct = 0, findings = 0;
    for (int round = 0; round < kRounds; ++round) {
        EnginePhraseSource engineSource(engine.get());
        TimedSource source(engineSource);
        const double start = NowMs();
        std::vector<std::string> ignored;
        HRESULT loaded = S_OK;
        ReadIgnoredPhrases(engine.get(), ignored, loaded);
        source.m_ms += NowMs() - start;
        PhraseChecker checker(source, ignored);
        findings = 0;
        checker.Check(text, Decoding{}, [&](const Finding&) { ++findings; });
        const double total = NowMs() - start - source.m_bareMs;
        totals.push_back(total);
        engines.push_back(source.m_ms);
        floors.push_back(source.m_bareMs);
        ratios.push_back(total / source.m_bareMs);
        words = checker.WordsRead();
        distinct = checker.DistinctWordsAsked();
    }

    // The reader and matcher alone, on answers recorded in a first check.
    EnginePhraseSource engineSource(engine.get());
    ReplaySource replay(engineSource);
    std::vector<double> alone;
    for (int round = 0; round <= kRounds; ++round) {
        PhraseChecker checker(replay, {});
        const double start = NowMs();
        checker.Check(text, Decoding{}, [](const Finding&) {});
        if (round > 0)
            alone.push_back(NowMs() - start);
        replay.m_recording = false;
    }

    const double total = Median(totals);
    const double inEngine = Median(engines);
    const double floor = Median(floors);
    std::printf("text             %zu bytes from %d files, %zu words, %zu distinct words asked, %zu findings\n",
                text.size(), files, words, distinct, findings);
    std::printf("whole check      %8.1f ms  (in the engine %.1f ms, outside it %.1f ms)\n", total, inEngine,
                total - inEngine);
    std::printf("floor            %8.1f ms  (%zu distinct words x %.1f us per bare debug message)\n", floor,
                distinct, floor * 1e3 / static_cast<double>(distinct));
    std::printf("ratio to floor   %8.2f  (rounds from %.2f to %.2f)\n", total / floor,
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    std::printf("reader, matcher  %8.1f ms  (alone: the engine's answers replayed)\n", Median(alone));
    std::printf("engine creation  %8.1f ms  (loading the DLL and its table; not in the check)\n", loadMs);
    std::printf("\nMedians of %d rounds, each with a fresh checker, so every word is asked again.\n", kRounds);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int status = Run(argc, argv);
    CoUninitialize();
    return status;
}
