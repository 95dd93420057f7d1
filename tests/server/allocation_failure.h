#pragma once
// Out-of-memory on demand: this test program replaces the global operator new
// (which the engine code linked into it uses), and a FailingAllocations scope
// makes one chosen allocation throw std::bad_alloc.

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

} // namespace pelrin::test
