#include "params/record_arena.h"

#include <cstdint>

#ifdef KELNL_POISON_RECORDS
#include <sanitizer/asan_interface.h>
#endif

#include "platform/core/allocator.h"
#include "platform/os/os.h"

namespace kelnl {

namespace {

// Under AddressSanitizer a chunk's free storage and released records are unusable, as heap blocks
// of their own would be.
#ifdef KELNL_POISON_RECORDS
void MarkUnusable(const void* address, std::size_t bytes) { ASAN_POISON_MEMORY_REGION(address, bytes); }
void MarkUsable(const void* address, std::size_t bytes) { ASAN_UNPOISON_MEMORY_REGION(address, bytes); }
#else
void MarkUnusable(const void*, std::size_t) {}
void MarkUsable(const void*, std::size_t) {}
#endif

// A small file's records fit in the first chunk; a large file's come in chunks that grow fourfold
// (few chunks on small pages before the large ones) up to a size where a few dozen chunks hold
// hundreds of megabytes.
constexpr std::size_t kFirstChunkBytes = std::size_t{8} << 10;
constexpr std::size_t kMaximumChunkBytes = std::size_t{8} << 20;
// From this size on, storage starts on a large-page boundary and is a whole number of large
// pages, so that all of it can be backed by large pages: records are written all over a fresh
// chunk at once, and on a 4 KiB page each page costs a fault.
constexpr std::size_t kLargeStorageFrom = 2 * os::kLargePageBytes;
// A record this large (a huge value) gets a chunk of its own instead of ending the current one.
constexpr std::size_t kOwnChunkFrom = kMaximumChunkBytes / 4;

constexpr std::size_t kAlignment = alignof(void*);
static_assert(sizeof(RecordChunk) % kAlignment == 0);

void Unlink(RecordChunk* chunk) {
  if (chunk->previous != nullptr) {
    chunk->previous->next = chunk->next;
  } else {
    chunk->arena->chunks = chunk->next;
  }
  if (chunk->next != nullptr) chunk->next->previous = chunk->previous;
}

void DropLive(RecordChunk* chunk) {
  chunk->live -= 1;
  if (chunk->live != 0) return;
  Unlink(chunk);
  MarkUsable(chunk->storage, chunk->size);
  Release(chunk);
}

RecordChunk* NewChunk(RecordArena* arena, std::size_t size) {
  RecordChunk* chunk = nullptr;
  char* storage = nullptr;
  if (size < kLargeStorageFrom) {
    chunk = static_cast<RecordChunk*>(Allocate(sizeof(RecordChunk) + size));
    if (chunk != nullptr) storage = reinterpret_cast<char*>(chunk + 1);
  } else {
    size = (size + os::kLargePageBytes - 1) & ~(os::kLargePageBytes - 1);
    void* block = nullptr;
    storage = static_cast<char*>(AllocateOnLargePages(size, sizeof(RecordChunk), false, &block));
    chunk = static_cast<RecordChunk*>(block);
  }
  if (storage == nullptr) return nullptr;
  *chunk = RecordChunk{arena, nullptr, arena->chunks, 0, storage, 0, size};
  MarkUnusable(chunk->storage, size);
  if (arena->chunks != nullptr) arena->chunks->previous = chunk;
  arena->chunks = chunk;
  return chunk;
}

// Makes a fresh chunk with room for need bytes and carves from it from now on; the chunk carved
// from so far is left to its records.
RecordChunk* StartChunk(RecordArena* arena, std::size_t need) {
  if (arena->next_size == 0) arena->next_size = kFirstChunkBytes;
  const std::size_t size = need > arena->next_size ? need : arena->next_size;
  RecordChunk* chunk = NewChunk(arena, size);
  if (chunk == nullptr) return nullptr;
  if (arena->next_size < kMaximumChunkBytes) arena->next_size *= 4;
  chunk->live = 1;
  RecordChunk* old = arena->current;
  arena->current = chunk;
  if (old != nullptr) DropLive(old);
  return chunk;
}

constexpr std::size_t kFetchAhead = 512;  // as in CarveRecord

void* Fill(RecordChunk* chunk, std::size_t need) {
  char* item = chunk->storage + chunk->used;
  if (chunk->used + kFetchAhead < chunk->size) __builtin_prefetch(item + kFetchAhead, 1);
  chunk->used += need;
  chunk->live += 1;
  MarkUsable(item, need);
  return item;
}

RecordChunk* ChunkHolding(RecordArena* arena, const void* record) {
  const char* address = static_cast<const char*>(record);
  for (RecordChunk* chunk = arena->chunks; chunk != nullptr; chunk = chunk->next) {
    if (address >= chunk->storage && address < chunk->storage + chunk->used) return chunk;
  }
  return nullptr;
}

}  // namespace

void* CarveRecordSlowly(NlParameterTable* table, std::size_t bytes) {
  if (bytes > SIZE_MAX / 2) return nullptr;  // no size arithmetic below may wrap
  const std::size_t need = (bytes + kAlignment - 1) & ~(kAlignment - 1);
  RecordArena* arena = TableArena(table);
  RecordChunk* chunk = arena->current;
  if (chunk == nullptr || chunk->size - chunk->used < need) {
    chunk = need >= kOwnChunkFrom ? NewChunk(arena, need) : StartChunk(arena, need);
    if (chunk == nullptr) return nullptr;
  }
  return Fill(chunk, need);
}

void ReleaseRecord(NlParameterTable* table, void* record, std::size_t known_bytes) {
  if (record == nullptr) return;
  RecordChunk* chunk = ChunkHolding(TableArena(table), record);
  if (chunk == nullptr) return;
  MarkUnusable(record, known_bytes);
  DropLive(chunk);
}

void ReleaseRecordArena(NlParameterTable* table) {
  RecordArena* arena = TableArena(table);
  while (RecordChunk* chunk = arena->chunks) {
    arena->chunks = chunk->next;
    MarkUsable(chunk->storage, chunk->size);
    Release(chunk);
  }
  arena->current = nullptr;
  arena->next_size = 0;
}

}  // namespace kelnl
