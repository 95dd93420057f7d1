#include "tests/support/allocation_failure.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
// The tests are single-threaded; plain globals do.
bool g_armed = false;
bool g_failed = false;
long g_countdown = 0;
long g_allocations = 0;

void FailIfChosen()
{
    ++g_allocations;
    if (g_armed && g_countdown-- == 0) {
        g_armed = false;
        g_failed = true;
        throw std::bad_alloc();
    }
}

void* Allocate(std::size_t size)
{
    FailIfChosen();
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

// An aligned block is cut from a larger one, whose start is kept just before it.
void* AllocateAligned(std::size_t size, std::align_val_t alignment)
{
    FailIfChosen();
    // Never less than a plain block gets, as the library's own does.
    const std::size_t align =
        std::max(static_cast<std::size_t>(alignment), std::size_t{__STDCPP_DEFAULT_NEW_ALIGNMENT__});
    if (size > SIZE_MAX - align - sizeof(void*))
        throw std::bad_alloc();
    void* const raw = std::malloc(size + align + sizeof(void*));
    if (raw == nullptr)
        throw std::bad_alloc();
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw) + sizeof(void*);
    void** const block = reinterpret_cast<void**>((start + align - 1) & ~(align - 1));
    block[-1] = raw;
    return block;
}

void FreeAligned(void* block) noexcept
{
    if (block != nullptr)
        std::free(static_cast<void**>(block)[-1]);
}

template <typename Function>
void* OrNull(Function allocate) noexcept
{
    try {
        return allocate();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}

void* operator new[](std::size_t size)
{
    return Allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return OrNull([=] { return Allocate(size); });
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return OrNull([=] { return Allocate(size); });
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AllocateAligned(size, alignment);
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AllocateAligned(size, alignment);
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return OrNull([=] { return AllocateAligned(size, alignment); });
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return OrNull([=] { return AllocateAligned(size, alignment); });
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::align_val_t) noexcept
{
    FreeAligned(block);
}

void operator delete[](void* block, std::align_val_t) noexcept
{
    FreeAligned(block);
}

void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    FreeAligned(block);
}

void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    FreeAligned(block);
}

namespace pelrin::test {

FailingAllocations::FailingAllocations(long skip) noexcept
{
    g_failed = false;
    g_countdown = skip;
    g_armed = true;
}

FailingAllocations::~FailingAllocations()
{
    g_armed = false;
}

bool FailingAllocations::Failed() const noexcept
{
    return g_failed;
}

CountedAllocations::CountedAllocations() noexcept : m_start(g_allocations) {}

long CountedAllocations::Count() const noexcept
{
    return g_allocations - m_start;
}

} // namespace pelrin::test
