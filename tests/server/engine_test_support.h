#pragma once
// Helpers of the engine object's tests: creating engines over test tables,
// making BSTRs, and reading string-array results with their shape checked.

#include "base/com_ptr.h"
#include "base/win_owners.h"
#include "engine/phrase_table.h"
#include "server/pelrin.h"
#include "tests/support/expected_behaviour.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace pelrin::test {

// A table with the cases most tests need: two phrases of one first word in
// two letter cases, a digit first word, a repeated alternate, bytes above
// 0x7F (code page 1252), a first word holding the default character '?',
// and a word with a single phrase.
StoredPhraseTable StandardTable();

// A new engine over `table` (the built-in table when null); fails the test
// and returns null when it cannot be created.
ComPtr<IPelrinEngine> NewEngine(StoredPhraseTable table = nullptr);

UniqueBstr Bstr(const std::wstring& text);

// The strings of a result: nullopt for VT_NULL; a test failure (and nullopt)
// for anything that is not a one-dimensional, zero-based array of VT_BSTR.
std::optional<std::vector<std::wstring>> ReadStrings(const VARIANT& result);

using Strings = std::optional<std::vector<std::wstring>>;
inline const Strings kNull = std::nullopt;

// Where the versions answer differently: a word whose phrases are all
// ignored (1.0.0.5 an array of 0 elements, 1.0.0.1 VT_NULL), and a phrase
// whose first character is not a letter or digit (refused by 1.0.0.5 only).
// (A function: GCC 12 constant-initialises a namespace-scope optional of an
// empty vector as disengaged.)
inline Strings Emptied()
{
    if (kExpected.emptiedWordAnswersEmptyArray)
        return std::vector<std::wstring>{};
    return kNull;
}
inline constexpr HRESULT kRefusedFirstCharacter = kExpected.refusesFirstByteNotLetterOrDigit ? E_UNEXPECTED : S_OK;

// Convenience wrappers that check the HRESULT is S_OK.
Strings Match(IPelrinEngine* engine, const std::wstring& word);
Strings Alternates(IPelrinEngine* engine, const std::wstring& phrase);
Strings Ignored(IPelrinEngine* engine);

// Registers the type library carried by PELRIN.DLL in this prefix's registry.
HRESULT RegisterTypeLibrary();

// The module's lock count: every live engine object holds one.
long LockCount();

} // namespace pelrin::test
