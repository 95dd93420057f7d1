#pragma once
// The built-in phrase table in its stored, pointer-list form: for each group
// the scrambled phrase, its scrambled alternates and a null pointer; a null
// where the next phrase would stand ends the table.

namespace pelrin {

const char* const* BuiltInPhraseTable() noexcept;

} // namespace pelrin
