// BkJsonEx::Arena: the memory of one document's tree.
//
// Blocks come from chunks and return to per-size free lists, so values replaced through handles are reused,
// and dropping a whole tree is one pass over the chunks instead of one free per value. Blocks are 8-aligned.
// Not thread-safe: it belongs to its document.
#pragma once

#include <cstddef>

namespace BkJsonEx {

class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena() { Clear(); }

    void* Allocate(size_t bytes);
    // bytes must be the size given to Allocate.
    void Free(void* block, size_t bytes);
    // Releases every block at once.
    void Clear();

private:
    static constexpr size_t kGrain = 8;
    static constexpr size_t kLargestPooled = 256;
    static constexpr size_t kFirstChunk = 2048;
    static constexpr size_t kLargestChunk = 64 * 1024;  // stays below the C runtime's mapping threshold

    struct FreeBlock {
        FreeBlock* next;
    };
    struct alignas(8) Chunk {
        Chunk* next;
        size_t capacity;
    };
    struct alignas(8) Large {
        Large* previous;
        Large* next;
    };

    void* AllocateFromNewChunk(size_t bytes);

    FreeBlock* m_free[kLargestPooled / kGrain] = {};
    Chunk* m_chunks = nullptr;
    char* m_cursor = nullptr;
    char* m_limit = nullptr;
    size_t m_nextChunk = kFirstChunk;
    Large* m_large = nullptr;  // blocks above kLargestPooled, each from the C runtime
};

}  // namespace BkJsonEx
