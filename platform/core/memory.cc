// The core-services allocator family. It is backed by the C heap but keeps its own block
// header and accounting, so a block can only be returned to this family.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/core.h"

extern "C" {
int32_t sscoreserverflag = 0;
}

namespace {

constexpr std::size_t kHeaderBytes = 16;
constexpr std::uint32_t kMagic = 0x73734D31;  // "ssM1"

struct Header {
  std::uint32_t magic;
  std::size_t size;
};
static_assert(sizeof(Header) <= kHeaderBytes);

std::atomic<long> g_blocks{0};

void* Finish(void* raw, std::size_t size) {
  if (raw == nullptr) return nullptr;
  auto* header = static_cast<Header*>(raw);
  header->magic = kMagic;
  header->size = size;
  return static_cast<unsigned char*>(raw) + kHeaderBytes;
}

Header* HeaderOf(void* block) {
  return reinterpret_cast<Header*>(static_cast<unsigned char*>(block) - kHeaderBytes);
}

}  // namespace

extern "C" {

void* ss_mem_alc(std::size_t size) {
  if (size > SIZE_MAX - kHeaderBytes) return nullptr;
  void* block = Finish(std::malloc(size + kHeaderBytes), size);
  if (block != nullptr) g_blocks.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void* ss_mem_cal(std::size_t count, std::size_t size) {
  if (size != 0 && count > (SIZE_MAX - kHeaderBytes) / size) return nullptr;
  void* block = ss_mem_alc(count * size);
  if (block != nullptr) std::memset(block, 0, count * size);
  return block;
}

void* ss_mem_ral(void* block, std::size_t size) {
  if (block == nullptr) return ss_mem_alc(size);
  if (size > SIZE_MAX - kHeaderBytes) return nullptr;
  Header* header = HeaderOf(block);
  if (header->magic != kMagic) return nullptr;  // not ours: refuse rather than corrupt the heap
  return Finish(std::realloc(header, size + kHeaderBytes), size);
}

void ss_mem_fre(void* block) {
  if (block == nullptr) return;
  Header* header = HeaderOf(block);
  if (header->magic != kMagic) return;
  header->magic = 0;
  g_blocks.fetch_sub(1, std::memory_order_relaxed);
  std::free(header);
}

}  // extern "C"
