#include "diag/debug_channel.h"
#include "diag/trace.h"
#include "tests/support/scenario.h"

#include <cstdlib>

namespace pelrin::test {

void SetTraceVariable(const char* value)
{
    if (value == nullptr)
        unsetenv("PELRIN_TRACE");
    else
        setenv("PELRIN_TRACE", value, 1);
}

ScenarioRun RunScenarioCapturingDebugOutput(const std::string& name)
{
    ScenarioRun run;
    SetTraceVariable(nullptr);
    g_traceLevel = 1;
    SetDebugChannelSink([&run](const char* line) { run.debugLines.emplace_back(line); });
    run.exitCode = RunScenarioInProcess(name);
    SetDebugChannelSink(nullptr);
    SetTraceVariable(nullptr);
    g_traceLevel = 1;
    return run;
}

} // namespace pelrin::test
