#include "platform/dir/arena.h"

#include <cstring>

#include "platform/core/allocator.h"

namespace kelnl::dir {

struct Arena::Block {
  Block* next;
};

namespace {
constexpr std::size_t kAlignment = alignof(std::max_align_t);
constexpr std::size_t kLargestBlock = 256 * 1024;
constexpr std::size_t kHeaderSize = (sizeof(void*) + kAlignment - 1) / kAlignment * kAlignment;
}  // namespace

void* Arena::Take(std::size_t size) {
  if (size > static_cast<std::size_t>(-1) / 2) return nullptr;
  size = (size + kAlignment - 1) / kAlignment * kAlignment;
  if (size == 0) size = kAlignment;
  if (size > left_) {
    // A request larger than a block gets a block of its own size; the rest of the current block
    // is abandoned, which wastes at most one block's tail per large value.
    const std::size_t usual = next_block_ > kHeaderSize ? next_block_ - kHeaderSize : kAlignment;
    const std::size_t payload = size > usual ? size : usual;
    if (payload > static_cast<std::size_t>(-1) - kHeaderSize) return nullptr;
    auto* block = static_cast<Block*>(Allocate(kHeaderSize + payload));
    if (block == nullptr) return nullptr;
    if (next_block_ < kLargestBlock) next_block_ *= 2;
    block->next = blocks_;
    blocks_ = block;
    cursor_ = reinterpret_cast<char*>(block) + kHeaderSize;
    left_ = payload;
  }
  void* taken = cursor_;
  cursor_ += size;
  left_ -= size;
  return taken;
}

char* Arena::Copy(std::string_view text) {
  auto* copy = static_cast<char*>(Take(text.size() + 1));
  if (copy == nullptr) return nullptr;
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

void Arena::ReleaseAll() {
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    Release(blocks_);
    blocks_ = next;
  }
  cursor_ = nullptr;
  left_ = 0;
}

}  // namespace kelnl::dir
