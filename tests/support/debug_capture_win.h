#pragma once
// Runs a program under a minimal debugger and records its debug output, as a
// debugger or debug-output viewer would see it.

#include <string>
#include <vector>

namespace pelrin::test {

struct DebuggedRun {
    unsigned long exitCode = 0;
    std::vector<std::string> debugLines;
};

// Throws std::runtime_error when the program cannot be started or hangs.
DebuggedRun RunUnderDebugger(const std::wstring& commandLine, unsigned timeoutMs = 120000);

// The full path of the running program.
std::wstring CurrentProgramPath();

} // namespace pelrin::test
