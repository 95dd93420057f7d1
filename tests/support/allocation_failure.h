#pragma once
// Out-of-memory on demand: a test program that compiles in
// allocation_failure.cpp replaces the global operator new in every form the
// code uses (plain, array, nothrow, aligned), and a FailingAllocations scope
// makes one chosen allocation throw std::bad_alloc (or give null, for the
// nothrow forms). CountedAllocations counts them instead.

#include "engine/engine_error.h"

#include <gtest/gtest.h>

namespace pelrin::test {

class FailingAllocations {
public:
    // The allocation number `skip` from now on fails (0: the very next one).
    explicit FailingAllocations(long skip) noexcept;
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    // Whether the chosen allocation was reached (and so failed).
    bool Failed() const noexcept;
};

class CountedAllocations {
public:
    CountedAllocations() noexcept;
    CountedAllocations(const CountedAllocations&) = delete;
    CountedAllocations& operator=(const CountedAllocations&) = delete;

    // The allocations made since construction.
    long Count() const noexcept;

private:
    long m_start;
};

inline constexpr HRESULT kOutOfMemory = static_cast<HRESULT>(0x8007000Eu); // E_OUTOFMEMORY

// Runs `call` with its first, second, ... allocation failing until it needs
// fewer than that. Every failed run must answer E_OUTOFMEMORY and pass
// `check`, which runs outside the failing scope; the run that needs no more
// must succeed. A sweep that makes no allocation fail checks nothing, so at
// least one must.
template <typename Call, typename Check>
void SweepAllocationFailures(Call call, Check check)
{
    for (long skip = 0; skip < 10000; ++skip) {
        HRESULT hr = kS_OK;
        bool failed = false;
        {
            const FailingAllocations failing(skip);
            hr = call();
            failed = failing.Failed();
        }
        if (!failed) {
            EXPECT_EQ(hr, kS_OK);
            EXPECT_GT(skip, 0) << "no allocation failed";
            return;
        }
        EXPECT_EQ(hr, kOutOfMemory) << "allocation " << skip;
        check();
    }
    ADD_FAILURE() << "never succeeded";
}

} // namespace pelrin::test
