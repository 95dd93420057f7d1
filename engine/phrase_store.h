#pragma once
// Orderings and containers of the phrase store.

#include "base/ascii.h"

#include <map>
#include <memory_resource>
#include <set>
#include <string>
#include <string_view>

namespace pelrin {

// Byte order after folding 'A'..'Z' to 'a'..'z' (nothing else folds, whatever
// the code page); stops at the first zero byte; a prefix orders first.
int CompareCaseInsensitive(const char* left, const char* right) noexcept;

struct CaseInsensitiveLess {
    bool operator()(const std::string& left, const std::string& right) const noexcept
    {
        return CompareCaseInsensitive(left.c_str(), right.c_str()) < 0;
    }
};

// The containers take their nodes from a memory resource: an engine gives its
// store a pool of its own (NodePool), so loading the table is not a few
// hundred separate trips to the process heap.

// Unique under CaseInsensitiveLess; an element keeps the case it was inserted in.
using PhraseSet = std::pmr::set<std::string, CaseInsensitiveLess>;

// One first-word bucket: first word -> the phrases that begin with it.
using FirstWordMap = std::pmr::map<std::string, PhraseSet, CaseInsensitiveLess>;

// Plain (unsigned, case-sensitive) byte order of strings of any allocator,
// so a lookup takes the caller's std::string as it is.
struct PlainByteLess {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const noexcept
    {
        return left < right;
    }
};

// Phrase -> alternate, keys in plain byte order; equal keys keep their
// insertion order. Each alternate keeps its own copy of the phrase as key,
// and most phrases are too long to be kept inside a string: the key takes its
// bytes from the store's pool, not a heap block of its own.
using AlternateMap = std::pmr::multimap<std::pmr::string, std::string, PlainByteLess>;

inline constexpr int kBucketCount = 256;

// 'A'..'Z' give 97..122, other bytes below 0x80 their own value; bytes of
// 0x80 and above give a negative index that must never reach the buckets.
constexpr int BucketIndex(char firstByte) noexcept
{
    return static_cast<signed char>(ToLowerAscii(firstByte));
}

// The bytes before the first space, or the whole phrase when it has none.
constexpr std::string_view FirstWord(std::string_view phrase) noexcept
{
    return phrase.substr(0, phrase.find(' '));
}

} // namespace pelrin
