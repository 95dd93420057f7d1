#pragma once
// What each version of the library does where the two differ, written from
// their behaviour rather than read from the build's own facts, so that a
// fact set wrong in the build fails the tests. The build gives each test
// program the version it tests as PELRIN_TESTED_VERSION ("1.0.0.5").

#include <string_view>

namespace pelrin::test {

struct Behaviour {
    const char* version;
    // A word or ignored phrase whose first byte is not an ASCII letter or
    // digit is refused (E_UNEXPECTED); otherwise any ASCII first byte has its
    // own bucket.
    bool refusesFirstByteNotLetterOrDigit;
    // A word whose phrases are all ignored answers an array of 0 elements;
    // otherwise VT_NULL.
    bool emptiedWordAnswersEmptyArray;
    // MatchWord publishes a COM error object when it cannot clear its result.
    bool matchWordPublishesErrorObject;
    // Messages are checkpoints under the trace level; otherwise each method
    // sends its own lines whatever the level.
    bool checkpointsUnderTraceLevel;
    // The built-in table is read from numbered RCDATA resources.
    bool tableInResources;
    // SaveIgnoredPhrases and LoadIgnoredPhrases, and a settings file.
    bool settingsFileMethods;
};

inline constexpr Behaviour kBehaviours[] = {
    {.version = "1.0.0.5",
     .refusesFirstByteNotLetterOrDigit = true,
     .emptiedWordAnswersEmptyArray = true,
     .matchWordPublishesErrorObject = false,
     .checkpointsUnderTraceLevel = true,
     .tableInResources = false,
     .settingsFileMethods = true},
    {.version = "1.0.0.1",
     .refusesFirstByteNotLetterOrDigit = false,
     .emptiedWordAnswersEmptyArray = false,
     .matchWordPublishesErrorObject = true,
     .checkpointsUnderTraceLevel = false,
     .tableInResources = true,
     .settingsFileMethods = false},
};

consteval Behaviour BehaviourOf(std::string_view version)
{
    for (const Behaviour& behaviour : kBehaviours) {
        if (version == behaviour.version)
            return behaviour;
    }
    throw "no expected behaviour for this version";
}

// The version under test.
inline constexpr Behaviour kExpected = BehaviourOf(PELRIN_TESTED_VERSION);

// The preprocessor cannot compare strings, and the blocks that call the
// settings-file methods compile only where the interface has them: the build
// gives the version's last number too.
#define PELRIN_TESTED_SETTINGS_METHODS (PELRIN_TESTED_BUILD_NUMBER != 1)
static_assert(kExpected.settingsFileMethods == PELRIN_TESTED_SETTINGS_METHODS);

} // namespace pelrin::test
