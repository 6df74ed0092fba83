// Storage for binding nodes. Nodes are carved out of shared chunks instead of being allocated
// one by one: parsing a large text then costs a handful of allocations, not one per binding.
// Each chunk counts the items carved from it that are still alive and is released with the
// last, so a single sub-binding can still be removed at any time (its bytes return with the
// rest of its chunk). Chunks are never shared between trees, and a tree has one user at a time,
// so the counts need no locking.
#ifndef KELNL_PLATFORM_NV_ARENA_H
#define KELNL_PLATFORM_NV_ARENA_H

#include <cstddef>

namespace kelnv {

struct Chunk {
  std::size_t live_items;  // items still in use, plus one while an Arena carves from it
  std::size_t size;        // bytes of storage behind the header
  std::size_t used;
};

// Every item starts on this boundary, which suits the node's pointers and sizes.
constexpr std::size_t kItemAlignment = alignof(void*);

constexpr std::size_t AlignItem(std::size_t bytes) {
  return (bytes + kItemAlignment - 1) & ~(kItemAlignment - 1);
}

// One item of the chunk is no longer used; releases the chunk with its last item.
void ReleaseItem(Chunk* chunk);

class Arena {
 public:
  // The first chunk has first_chunk_bytes of storage; each later one twice its predecessor, up
  // to max_chunk_bytes, and an item larger than that gets a chunk of its own size.
  Arena(std::size_t first_chunk_bytes, std::size_t max_chunk_bytes);
  ~Arena();
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // bytes of item storage, aligned, with *chunk set to the chunk that now counts the item; null
  // when memory runs out.
  void* Carve(std::size_t bytes, Chunk** chunk);

 private:
  bool StartChunk(std::size_t at_least);

  Chunk* current_ = nullptr;
  std::size_t next_size_;
  std::size_t max_size_;
};

}  // namespace kelnv

#endif
