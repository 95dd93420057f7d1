#include "tests/support/debug_capture_win.h"
#include "tests/support/scenario.h"

#include <cstdlib>
#include <string>

namespace pelrin::test {

void SetTraceVariable(const char* value)
{
    // _putenv changes the C runtime's environment, which is what getenv reads
    // (the library shares this program's msvcrt). "NAME=" removes the variable.
    const std::string assignment = std::string("PELRIN_TRACE=") + (value ? value : "");
    _putenv(assignment.c_str());
}

ScenarioRun RunScenarioCapturingDebugOutput(const std::string& name)
{
    const std::wstring wideName(name.begin(), name.end());
    // A fresh process: the library's trace level starts from its load-time value.
    SetTraceVariable(nullptr);
    const DebuggedRun debugged =
        RunUnderDebugger(L"\"" + CurrentProgramPath() + L"\" --scenario=" + wideName);
    ScenarioRun run;
    run.exitCode = static_cast<int>(debugged.exitCode);
    run.debugLines = debugged.debugLines;
    return run;
}

} // namespace pelrin::test
