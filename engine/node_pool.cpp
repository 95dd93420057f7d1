#include "engine/node_pool.h"

#include <new>

namespace pelrin {
namespace {
// The chunk header takes one granule, so blocks after it keep the alignment.
constexpr std::size_t kChunkHeader = NodePool::kGranule;
constexpr std::align_val_t kChunkAlignment{NodePool::kGranule};

constexpr std::size_t SizeClass(std::size_t bytes) noexcept
{
    return bytes == 0 ? 0 : (bytes - 1) / NodePool::kGranule;
}
} // namespace

NodePool::~NodePool()
{
    while (m_chunks != nullptr) {
        Chunk* next = m_chunks->next;
        ::operator delete(m_chunks, kChunkAlignment);
        m_chunks = next;
    }
}

void* NodePool::do_allocate(std::size_t bytes, std::size_t alignment)
{
    if (!Pooled(bytes, alignment))
        return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    const std::size_t sizeClass = SizeClass(bytes);
    if (FreeBlock* reused = m_free[sizeClass]) {
        m_free[sizeClass] = reused->next;
        return reused;
    }
    const std::size_t blockBytes = (sizeClass + 1) * kGranule;
    if (static_cast<std::size_t>(m_end - m_cursor) < blockBytes) {
        // What is left of the current chunk is too small for this size: hand it
        // to the free lists of the sizes it can serve rather than losing it.
        for (std::size_t left = static_cast<std::size_t>(m_end - m_cursor); left >= kGranule;) {
            const std::size_t fit = left < kLargestPooled ? left : kLargestPooled;
            const std::size_t fitClass = fit / kGranule - 1;
            m_free[fitClass] = new (m_cursor) FreeBlock{m_free[fitClass]};
            m_cursor += (fitClass + 1) * kGranule;
            left -= (fitClass + 1) * kGranule;
        }
        auto* chunk = static_cast<std::byte*>(::operator new(kChunkBytes, kChunkAlignment));
        m_chunks = new (chunk) Chunk{m_chunks};
        m_cursor = chunk + kChunkHeader;
        m_end = chunk + kChunkBytes;
    }
    void* block = m_cursor;
    m_cursor += blockBytes;
    return block;
}

void NodePool::do_deallocate(void* block, std::size_t bytes, std::size_t alignment)
{
    if (!Pooled(bytes, alignment)) {
        std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
        return;
    }
    const std::size_t sizeClass = SizeClass(bytes);
    m_free[sizeClass] = new (block) FreeBlock{m_free[sizeClass]};
}

} // namespace pelrin
