#include "tests/support/scenario.h"

#include <map>

namespace pelrin::test {
namespace {
std::map<std::string, ScenarioFunction>& Registry()
{
    static std::map<std::string, ScenarioFunction> registry;
    return registry;
}
} // namespace

ScenarioRegistration::ScenarioRegistration(const char* name, ScenarioFunction function)
{
    Registry()[name] = function;
}

int RunScenarioInProcess(const std::string& name)
{
    const auto found = Registry().find(name);
    return found == Registry().end() ? -1 : found->second();
}

} // namespace pelrin::test
