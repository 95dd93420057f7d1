#include "tests/server/allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {
// The tests are single-threaded; plain globals do.
bool g_armed = false;
bool g_failed = false;
long g_countdown = 0;

void* Allocate(std::size_t size)
{
    if (g_armed && g_countdown-- == 0) {
        g_armed = false;
        g_failed = true;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
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
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
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

} // namespace pelrin::test
