// The resource form as the library reads it from its own module: this test
// program links the engine and carries the built-in table's resources, as
// the 1.0.0.1 DLL does.

#include "engine/pelrin_engine_impl.h"
#include "engine/word_lookup.h"
#include "tests/support/scenario.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <regex>
#include <string>

namespace pelrin {
namespace {

// What `body` writes to the standard error stream.
template <typename Body>
std::string StandardErrorOf(Body body)
{
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = _dup(2);
    _dup2(_fileno(capture), 2);
    body();
    std::fflush(stderr);
    _dup2(saved, 2);
    _close(saved);
    std::string text;
    std::rewind(capture);
    for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture))
        text += static_cast<char>(c);
    std::fclose(capture);
    return text;
}

TEST(ModuleResources, ReadsANamedResourceWithAnAddedZeroWhateverTheNamesCase)
{
    const PhraseResources& resources = *BuiltInPhraseTable();
    for (const char* name : {"pcount", "PCOUNT", "PCount"}) {
        const auto count = resources.LoadResourceBytes(name);
        ASSERT_TRUE(count.has_value()) << name;
        EXPECT_EQ(*count, (std::vector<char>{47, 0, 0, 0, 0})) << name;
    }
    const auto last = resources.LoadResourceBytes("p47");
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->back(), '\0');
    EXPECT_EQ((*last)[last->size() - 2], '\0') << "the stored strings end in their zero byte";
}

TEST(ModuleResources, AMissingResourceIsNothingAndNamedOnStandardError)
{
    std::optional<std::vector<char>> missing{std::vector<char>{}};
    const std::string errors = StandardErrorOf([&] { missing = BuiltInPhraseTable()->LoadResourceBytes("p48"); });
    EXPECT_FALSE(missing.has_value());
    EXPECT_EQ(errors, "FindResource error 1814\n"); // ERROR_RESOURCE_NAME_NOT_FOUND
}

PELRIN_SCENARIO(load_built_in_resources)
{
    const PelrinEngineImpl impl;
    int phrases = 0;
    for (const auto& bucket : impl.m_buckets)
        for (const auto& [word, set] : bucket)
            for (const auto& phrase : set)
                phrases += FindPhrasesOfFirstWord(impl, word) == &set && !phrase.empty() ? 1 : 0;
    return phrases == 47 && impl.m_alternates.size() == 72u ? 0 : 1;
}

TEST(ModuleResources, TheBuiltInTableLoadsWhole)
{
    const auto run = test::RunScenarioCapturingDebugOutput("load_built_in_resources");
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.debugLines.size(), 2u);
    EXPECT_EQ(run.debugLines[0], "# of phrases: 47\n");
    EXPECT_TRUE(std::regex_match(run.debugLines[1], std::regex("loaded 47 phrase\\(s\\) in [0-9]+ millisec\n")));
}

} // namespace
} // namespace pelrin
