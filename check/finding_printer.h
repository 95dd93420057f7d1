#pragma once
// Writes findings as prose linters do: one line per finding,
//   file:line:column: "phrase" -> "alternate", "alternate"
// ("-> (omit)" when the phrase has no alternate: leave it out), or one JSON
// array of objects with file, line, column, phrase and alternates.

#include "check/phrase_checker.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace pelrin::check {

class FindingPrinter {
public:
    FindingPrinter(std::FILE* out, bool json) noexcept : m_out(out), m_json(json) {}

    // `file` as the user named it, in UTF-8.
    void Print(std::string_view file, const Finding& finding);
    // Ends the output; for JSON, closes the array (an empty one without findings).
    void Finish();
    std::size_t Count() const noexcept { return m_count; }

private:
    std::FILE* m_out;
    bool m_json;
    std::size_t m_count = 0;
};

// `text` as a JSON string, quotes included.
std::string JsonString(std::string_view text);

} // namespace pelrin::check
