#include "platform/nv/arena.h"

#include <cstdint>
#include <new>

#include "platform/nv/nv_memory.h"

namespace kelnv {
namespace {

constexpr std::size_t kHeaderBytes = AlignItem(sizeof(Chunk));

unsigned char* Storage(Chunk* chunk) { return reinterpret_cast<unsigned char*>(chunk) + kHeaderBytes; }

}  // namespace

void ReleaseItem(Chunk* chunk) {
  if (--chunk->live_items == 0) Release(chunk);
}

Arena::Arena(std::size_t first_chunk_bytes, std::size_t max_chunk_bytes)
    : next_size_(AlignItem(first_chunk_bytes)), max_size_(AlignItem(max_chunk_bytes)) {}

Arena::~Arena() {
  if (current_ != nullptr) ReleaseItem(current_);
}

void* Arena::Carve(std::size_t bytes, Chunk** chunk) {
  bytes = AlignItem(bytes);
  if (current_ == nullptr || current_->size - current_->used < bytes) {
    if (!StartChunk(bytes)) return nullptr;
  }
  void* item = Storage(current_) + current_->used;
  current_->used += bytes;
  ++current_->live_items;
  *chunk = current_;
  return item;
}

// The arena holds a count on its current chunk, so that the chunk cannot go away while items
// are still being carved from it even if every item carved so far has been released.
bool Arena::StartChunk(std::size_t at_least) {
  const std::size_t size = at_least > next_size_ ? at_least : next_size_;
  if (size > SIZE_MAX - kHeaderBytes) return false;
  void* block = Allocate(kHeaderBytes + size);
  if (block == nullptr) return false;
  if (current_ != nullptr) ReleaseItem(current_);
  current_ = new (block) Chunk{1, size, 0};
  if (next_size_ < max_size_) next_size_ = next_size_ * 2 < max_size_ ? next_size_ * 2 : max_size_;
  return true;
}

}  // namespace kelnv
