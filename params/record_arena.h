// Storage for the records of one parameter table: entries, bindings and values with their
// texts, and split list elements. Records are carved out of shared chunks rather than allocated
// one by one, so reading a large file costs a few dozen allocations instead of three per
// statement, and tearing a table down releases its chunks without visiting every record.
//
// Each chunk counts the records still alive in it and goes back to the heap with its last one, so
// replacing a parameter again and again does not make the table grow. A record carries nothing
// extra: the chunk of a released record is found by its address. Records die one by one only
// when a parameter is replaced or a statement dropped, and mostly in the newest chunks, where
// that search starts. A table has one user at a time, so nothing is locked.
#ifndef KELNL_PARAMS_RECORD_ARENA_H
#define KELNL_PARAMS_RECORD_ARENA_H

#include <cstddef>

#include "kelnl/nlpa.h"

#if defined(__SANITIZE_ADDRESS__)
#define KELNL_POISON_RECORDS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELNL_POISON_RECORDS 1
#endif
#endif

namespace kelnl {

struct RecordArena;

struct RecordChunk {
  RecordArena* arena;
  RecordChunk* previous;
  RecordChunk* next;
  std::size_t live;  // records still in use, plus one while the arena carves from the chunk
  char* storage;     // behind the header, or from the first large-page boundary in the block
  std::size_t used;
  std::size_t size;  // bytes of storage
};

// The chunks of one table. It lives in the table's own allocation, right behind the record.
struct RecordArena {
  RecordChunk* current;  // the chunk records are carved from
  RecordChunk* chunks;   // every chunk of the table, newest first
  std::size_t next_size;
  NlHashTable* spellings;  // the table's bindings by exact spelling (spelling_index.h), or null
};

// The arena behind a table record.
inline RecordArena* TableArena(NlParameterTable* table) { return reinterpret_cast<RecordArena*>(table + 1); }

// The bytes to allocate for a table record together with its arena; the arena starts zeroed.
constexpr std::size_t kTableAllocationBytes = sizeof(NlParameterTable) + sizeof(RecordArena);

// bytes of record storage (pointer-aligned) from a new chunk, or from the current one under
// AddressSanitizer, which marks what it hands out; null when memory runs out.
void* CarveRecordSlowly(NlParameterTable* table, std::size_t bytes);

// bytes of record storage (pointer-aligned) from the table's arena; null when memory runs out.
// Nearly every record fits the current chunk: that is a few instructions, inline.
inline void* CarveRecord(NlParameterTable* table, std::size_t bytes) {
#ifndef KELNL_POISON_RECORDS
  constexpr std::size_t kAlignment = alignof(void*);
  // Records are written one after another: asking for the memory a little ahead of them lets
  // its cache misses overlap with the parsing instead of stalling the writes.
  constexpr std::size_t kFetchAhead = 512;
  RecordChunk* chunk = TableArena(table)->current;
  const std::size_t need = (bytes + kAlignment - 1) & ~(kAlignment - 1);
  if (chunk != nullptr && need >= bytes && chunk->size - chunk->used >= need) {
    char* item = chunk->storage + chunk->used;
    if (chunk->used + kFetchAhead < chunk->size) __builtin_prefetch(item + kFetchAhead, 1);
    chunk->used += need;
    chunk->live += 1;
    return item;
  }
#endif
  return CarveRecordSlowly(table, bytes);
}
// Gives a record carved from the table back (null allowed); its chunk goes with its last record.
// known_bytes is how much of the record the caller knows it to span (at most what was carved);
// an AddressSanitizer build marks that much unusable, so a use after release is still reported.
void ReleaseRecord(NlParameterTable* table, void* record, std::size_t known_bytes);
// Releases every chunk of the table at once, whatever records they still hold.
void ReleaseRecordArena(NlParameterTable* table);

}  // namespace kelnl

#endif
