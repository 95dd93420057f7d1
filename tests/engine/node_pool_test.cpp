// The phrase store's node pool: blocks never overlap, freed blocks are reused
// by their size, and what the pool cannot serve goes to the heap.

#include "engine/node_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace pelrin {
namespace {

bool Aligned(const void* block, std::size_t alignment)
{
    return reinterpret_cast<std::uintptr_t>(block) % alignment == 0;
}

TEST(NodePoolBlocks, FreedBlocksAreReusedBySizeClass)
{
    NodePool pool;
    void* first = pool.allocate(96, 8);
    void* other = pool.allocate(40, 8);
    pool.deallocate(first, 96, 8);
    // 90 bytes share the 96-byte class; 40 bytes do not take the freed block.
    EXPECT_EQ(pool.allocate(90, 8), first);
    void* small = pool.allocate(40, 8);
    EXPECT_NE(small, first);
    EXPECT_NE(small, other);
}

TEST(NodePoolBlocks, OversizedOrOveralignedRequestsGoToTheHeap)
{
    NodePool pool;
    void* large = pool.allocate(NodePool::kLargestPooled + 1, 8);
    void* overaligned = pool.allocate(64, 64);
    EXPECT_TRUE(Aligned(overaligned, 64));
    std::memset(large, 0xAB, NodePool::kLargestPooled + 1);
    pool.deallocate(large, NodePool::kLargestPooled + 1, 8);
    pool.deallocate(overaligned, 64, 64);
}

// Random sizes, every block filled with its own pattern and checked before it
// is freed: any overlap, or a block that runs past its chunk (the address
// sanitizer build), fails here.
TEST(NodePoolBlocks, BlocksNeverOverlapAcrossManyChunks)
{
    NodePool pool;
    struct Block {
        unsigned char* data;
        std::size_t size;
        unsigned char fill;
    };
    std::vector<Block> live;
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> size(1, NodePool::kLargestPooled + 64);
    for (int step = 0; step < 20000; ++step) {
        if (!live.empty() && random() % 3 == 0) {
            const std::size_t victim = random() % live.size();
            const Block block = live[victim];
            for (std::size_t i = 0; i < block.size; ++i)
                ASSERT_EQ(block.data[i], block.fill) << "step " << step;
            pool.deallocate(block.data, block.size, 8);
            live[victim] = live.back();
            live.pop_back();
        } else {
            Block block{nullptr, size(random), static_cast<unsigned char>(step)};
            block.data = static_cast<unsigned char*>(pool.allocate(block.size, 8));
            // Pooled blocks keep the granule; larger ones get what was asked,
            // which is all a 32-bit heap gives.
            ASSERT_TRUE(Aligned(block.data, block.size <= NodePool::kLargestPooled ? NodePool::kGranule : 8));
            std::memset(block.data, block.fill, block.size);
            live.push_back(block);
        }
    }
    for (const Block& block : live) {
        for (std::size_t i = 0; i < block.size; ++i)
            ASSERT_EQ(block.data[i], block.fill);
        pool.deallocate(block.data, block.size, 8);
    }
}

} // namespace
} // namespace pelrin
