#pragma once
// Scenarios: named pieces of test code that run in a fresh process of the
// test program itself (Windows: under a debugger that records the debug
// output), or in-process on the host. A test program started with
// --scenario=<name> runs that scenario instead of its tests.

#include <string>
#include <vector>

namespace pelrin::test {

using ScenarioFunction = int (*)();

struct ScenarioRegistration {
    ScenarioRegistration(const char* name, ScenarioFunction function);
};

// Runs the named scenario in this process; -1 when there is none.
int RunScenarioInProcess(const std::string& name);

struct ScenarioRun {
    int exitCode = -1;
    std::vector<std::string> debugLines; // each as sent, newline included
};

// Runs a scenario and records every line sent on the debugger output channel.
// Host: in this process, with the trace level reset to its load-time value 1
// and the trace variable unset before and after. Windows: in a child process
// of this program, run under a debugger.
ScenarioRun RunScenarioCapturingDebugOutput(const std::string& name);

// Sets (or, with null, removes) the trace variable for this process, as seen
// by the library's getenv.
void SetTraceVariable(const char* value);

} // namespace pelrin::test

#define PELRIN_SCENARIO_CAT2(a, b) a##b
#define PELRIN_SCENARIO_CAT(a, b) PELRIN_SCENARIO_CAT2(a, b)
#define PELRIN_SCENARIO(name)                                                                      \
    static int PELRIN_SCENARIO_CAT(Scenario_, name)();                                             \
    static const ::pelrin::test::ScenarioRegistration PELRIN_SCENARIO_CAT(kScenarioReg_, name){    \
        #name, &PELRIN_SCENARIO_CAT(Scenario_, name)};                                             \
    static int PELRIN_SCENARIO_CAT(Scenario_, name)()
