#pragma once
// The phrase table's resource form as the loader reads it: RCDATA "PCOUNT"
// (the group count, 4 bytes little-endian) and "P1".."Pn" (a group each: the
// scrambled phrase and its scrambled alternates, each with its zero byte).
// The library reads its own resources (module_resources_win.cpp); tests bring
// theirs in memory.

#include <optional>
#include <vector>

namespace pelrin {

class PhraseResources {
public:
    virtual ~PhraseResources() = default;

    // A fresh copy of the named resource (name matched without regard to
    // letter case) followed by one added zero byte; nothing when it cannot
    // be read. The bytes before the added zero are the resource's size.
    virtual std::optional<std::vector<char>> LoadResourceBytes(const char* name) const = 0;
};

} // namespace pelrin
