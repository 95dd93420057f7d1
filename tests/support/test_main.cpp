// Test programs' entry point: runs the tests, or one scenario when asked with
// --scenario=<name> (see scenario.h).

#include "tests/support/scenario.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv)
{
    constexpr const char kScenarioSwitch[] = "--scenario=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kScenarioSwitch, sizeof kScenarioSwitch - 1) == 0)
            return pelrin::test::RunScenarioInProcess(argv[i] + sizeof kScenarioSwitch - 1);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
