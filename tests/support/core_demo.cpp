// Loads the engine core, prints the phrases that begin with a word (with their
// alternates) and the load report the core sent on the debugger output channel.
//   pelrin_core_demo [word]

#include "engine/pelrin_engine_impl.h"
#include "engine/word_lookup.h"
#include "tests/support/debug_capture_win.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

int PrintPhrasesOf(const std::string& word)
{
    const pelrin::PelrinEngineImpl impl;
    const pelrin::PhraseSet* phrases = pelrin::FindPhrasesOfFirstWord(impl, word);
    if (phrases == nullptr) {
        std::printf("No phrase begins with \"%s\".\n", word.c_str());
        return 0;
    }
    std::printf("Phrases that begin with \"%s\":\n", word.c_str());
    for (const auto& phrase : *phrases) {
        std::printf("  %s\n", phrase.c_str());
        for (auto [it, end] = impl.m_alternates.equal_range(phrase); it != end; ++it)
            std::printf("      -> %s\n", it->second.c_str());
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
            return PrintPhrasesOf(argv[2]);

        const std::string word = argc >= 2 ? argv[1] : "at";
        const std::wstring wideWord(word.begin(), word.end());
        const auto run = pelrin::test::RunUnderDebugger(
            L"\"" + pelrin::test::CurrentProgramPath() + L"\" --child \"" + wideWord + L"\"");
        std::printf("\nLoad report (the engine core's debug output):\n");
        for (const auto& line : run.debugLines)
            std::printf("  %s", line.c_str());
        return static_cast<int>(run.exitCode);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pelrin_core_demo: %s\n", e.what());
        return 1;
    }
}
