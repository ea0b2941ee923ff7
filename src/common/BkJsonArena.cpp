#include "common/BkJsonArena.h"

#include <cstdint>
#include <new>

// Under AddressSanitizer, free blocks and unused chunk space are poisoned, so a use after release is still caught
// although the memory stays with the arena.
#if defined(__SANITIZE_ADDRESS__)
#define BKJSON_ARENA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BKJSON_ARENA_ASAN 1
#endif
#endif

#if defined(BKJSON_ARENA_ASAN)
#include <sanitizer/asan_interface.h>
#define BKJSON_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define BKJSON_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define BKJSON_POISON(block, size) ((void)(block), (void)(size))
#define BKJSON_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace BkJsonEx {

namespace {

size_t RoundUp(size_t bytes, size_t grain) { return (bytes + grain - 1) / grain * grain; }

}  // namespace

void* Arena::Allocate(size_t bytes) {
    if (bytes > SIZE_MAX - sizeof(Large) - kGrain) throw std::bad_alloc();
    const size_t size = RoundUp(bytes == 0 ? 1 : bytes, kGrain);
    if (size > kLargestPooled) {
        auto* large = static_cast<Large*>(::operator new(sizeof(Large) + size));
        large->previous = nullptr;
        large->next = m_large;
        if (m_large != nullptr) m_large->previous = large;
        m_large = large;
        return large + 1;
    }
    FreeBlock*& head = m_free[size / kGrain - 1];
    if (head != nullptr) {
        FreeBlock* block = head;
        BKJSON_UNPOISON(block, size);
        head = block->next;
        return block;
    }
    if (static_cast<size_t>(m_limit - m_cursor) < size) return AllocateFromNewChunk(size);
    void* block = m_cursor;
    m_cursor += size;
    BKJSON_UNPOISON(block, size);
    return block;
}

void* Arena::AllocateFromNewChunk(size_t size) {
    // The tail of the old chunk goes to its free list rather than being lost.
    while (static_cast<size_t>(m_limit - m_cursor) >= kGrain) {
        const size_t tail = static_cast<size_t>(m_limit - m_cursor);
        const size_t piece = tail > kLargestPooled ? kLargestPooled : tail;
        BKJSON_UNPOISON(m_cursor, piece);
        Free(m_cursor, piece);
        m_cursor += piece;
    }

    const size_t capacity = m_nextChunk;
    if (m_nextChunk < kLargestChunk) m_nextChunk *= 2;
    auto* chunk = static_cast<Chunk*>(::operator new(sizeof(Chunk) + capacity));
    chunk->next = m_chunks;
    chunk->capacity = capacity;
    m_chunks = chunk;
    m_cursor = reinterpret_cast<char*>(chunk + 1);
    m_limit = m_cursor + capacity;
    BKJSON_POISON(m_cursor, capacity);
    void* block = m_cursor;
    m_cursor += size;
    BKJSON_UNPOISON(block, size);
    return block;
}

void Arena::Free(void* block, size_t bytes) {
    if (block == nullptr) return;
    const size_t size = RoundUp(bytes == 0 ? 1 : bytes, kGrain);
    if (size > kLargestPooled) {
        Large* large = static_cast<Large*>(block) - 1;
        if (large->previous != nullptr)
            large->previous->next = large->next;
        else
            m_large = large->next;
        if (large->next != nullptr) large->next->previous = large->previous;
        ::operator delete(large);
        return;
    }
    FreeBlock*& head = m_free[size / kGrain - 1];
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = head;
    head = freed;
    BKJSON_POISON(block, size);
}

void Arena::Clear() {
    while (m_chunks != nullptr) {
        Chunk* next = m_chunks->next;
        BKJSON_UNPOISON(m_chunks + 1, m_chunks->capacity);
        ::operator delete(m_chunks);
        m_chunks = next;
    }
    while (m_large != nullptr) {
        Large* next = m_large->next;
        ::operator delete(m_large);
        m_large = next;
    }
    for (FreeBlock*& head : m_free) head = nullptr;
    m_cursor = nullptr;
    m_limit = nullptr;
    m_nextChunk = kFirstChunk;
}

}  // namespace BkJsonEx
