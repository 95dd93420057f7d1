#pragma once
// NodePool: the memory resource of one engine's phrase store. The store's
// containers allocate a few hundred small nodes of a handful of sizes when the
// table loads, and move nodes in and out as phrases are ignored and restored.
// Blocks are cut from chunks of the heap and, once freed, kept on a free list
// of their size class for reuse. A freed block serves only its own size class
// and chunks go back to the heap only with the pool, so what a pool holds is
// the most that was in use at once of each size class, summed over the
// classes. std::pmr::unsynchronized_pool_resource does the same job, but made
// engine creation about a fifth slower in the engine benchmark: its chunks
// start at 16 blocks and grow, and each free looks its chunk up. Not
// thread-safe: an engine is used by one thread at a time.

#include <array>
#include <cstddef>
#include <memory_resource>

namespace pelrin {

class NodePool final : public std::pmr::memory_resource {
public:
    NodePool() noexcept = default;
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;
    ~NodePool() override;

    static constexpr std::size_t kGranule = 16;       // block sizes are multiples of this
    static constexpr std::size_t kLargestPooled = 256; // larger blocks go to the heap as they are
    static constexpr std::size_t kChunkBytes = 8192;

private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    struct FreeBlock {
        FreeBlock* next;
    };
    struct Chunk {
        Chunk* next;
    };

    static bool Pooled(std::size_t bytes, std::size_t alignment) noexcept
    {
        return bytes <= kLargestPooled && alignment <= kGranule;
    }

    std::array<FreeBlock*, kLargestPooled / kGranule> m_free{};
    Chunk* m_chunks = nullptr;
    std::byte* m_cursor = nullptr;
    std::byte* m_end = nullptr;
};

} // namespace pelrin
