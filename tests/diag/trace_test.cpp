// Trace output: message framing on the real channel, the call-site rule, Rot13.

#include "diag/rot13.h"
#include "diag/trace.h"
#include "tests/support/scenario.h"

#include <gtest/gtest.h>

#include <string>

namespace pelrin {
namespace {

using test::RunScenarioCapturingDebugOutput;

PELRIN_SCENARIO(trace_framing)
{
    const std::string exact(kTraceMaxText, 'x');
    const std::string over(3000, 'y');
    TraceMessage("%s", exact.c_str());
    TraceMessage("%s", over.c_str());
    TraceMessage("CPelrinEngine::GetIgnoredPhrases-6, %d ignored phrases.\n", 0);
    TraceMessage("%s", "");
    return 0;
}

TEST(TraceOutput, EachMessageIsOneLineCutAt2046Characters)
{
    const auto run = RunScenarioCapturingDebugOutput("trace_framing");
    ASSERT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.debugLines.size(), 4u);
    EXPECT_EQ(run.debugLines[0], std::string(2046, 'x') + "\n");
    EXPECT_EQ(run.debugLines[1], std::string(2046, 'y') + "\n");
    // A format that ends in a newline gives the message line and an empty line.
    EXPECT_EQ(run.debugLines[2], "CPelrinEngine::GetIgnoredPhrases-6, 0 ignored phrases.\n\n");
    EXPECT_EQ(run.debugLines[3], "\n");
}

int g_evaluations = 0;
int Evaluated()
{
    ++g_evaluations;
    return 7;
}

TEST(TraceOutput, ArgumentsOfAnOffTierAreNotEvaluated)
{
    const std::int32_t saved = g_traceLevel;
    g_evaluations = 0;
    g_traceLevel = 1;
    TRACE_VERBOSE("verbose %d", Evaluated());
    EXPECT_EQ(g_evaluations, 0);
    g_traceLevel = 0;
    TRACE_BASIC("basic %d", Evaluated());
    EXPECT_EQ(g_evaluations, 0);
    g_traceLevel = -1;
    TRACE_BASIC("basic %d", Evaluated());
    TRACE_VERBOSE("verbose %d", Evaluated());
    EXPECT_EQ(g_evaluations, 1);
    g_traceLevel = saved;
}

TEST(Rot13Transform, RotatesLettersWithinTheirCaseAndKeepsEverythingElse)
{
    EXPECT_EQ(Rot13("PELRIN_TRACE"), "CRYEVA_GENPR");
    EXPECT_EQ(Rot13("abcnopzAMNZ09_-"), "nopabcmNZAM09_-");
    EXPECT_EQ(Rot13(Rot13("Any Text, 123!")), "Any Text, 123!");
    EXPECT_EQ(Rot13("\xC4\xE4"), "\xC4\xE4");
    static_assert(Rot13Literal("Nz")[0] == 'A' && Rot13Literal("Nz")[1] == 'm');
}

} // namespace
} // namespace pelrin
