#include "platform/nls/message_cache.h"

#include <cstring>

namespace kelnl::nls {
namespace {

constexpr std::uint32_t kPreparedMark = 0x4B4D4331;  // "KMC1"
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;
// Beyond this many slots a linear search costs more than the file lookup it saves.
constexpr std::uint32_t kMaxSlots = 16;

struct CacheHeader {
  std::uint32_t mark;
  std::uint32_t slot_count;
  std::uint32_t next_victim;
};

struct CacheSlot {
  std::uint32_t number;
  std::uint32_t length;  // kEmptySlot while the slot holds nothing
  char text[kCacheTextCapacity];
};

static_assert(sizeof(CacheHeader) == kCacheHeaderBytes, "cache header layout");
static_assert(sizeof(CacheSlot) == kCacheSlotBytes, "cache slot layout");

CacheHeader* Header(void* cache) { return static_cast<CacheHeader*>(cache); }
const CacheHeader* Header(const void* cache) { return static_cast<const CacheHeader*>(cache); }

CacheSlot* Slots(void* cache) {
  return reinterpret_cast<CacheSlot*>(static_cast<char*>(cache) + kCacheHeaderBytes);
}
const CacheSlot* Slots(const void* cache) {
  return reinterpret_cast<const CacheSlot*>(static_cast<const char*>(cache) + kCacheHeaderBytes);
}

}  // namespace

std::size_t CacheSizeFor(std::uint32_t messages) {
  const std::uint32_t slots = messages < kMaxSlots ? messages : kMaxSlots;
  return slots == 0 ? 0 : kCacheHeaderBytes + slots * kCacheSlotBytes;
}

void PrepareCache(void* buffer, std::size_t size) {
  if (buffer == nullptr || size < kCacheHeaderBytes) return;
  std::size_t slots = (size - kCacheHeaderBytes) / kCacheSlotBytes;
  if (slots > kMaxSlots) slots = kMaxSlots;
  *Header(buffer) = CacheHeader{kPreparedMark, static_cast<std::uint32_t>(slots), 0};
  CacheSlot* slot = Slots(buffer);
  for (std::size_t i = 0; i < slots; ++i) slot[i].length = kEmptySlot;
}

bool IsPreparedCache(const void* buffer) {
  return buffer != nullptr && Header(buffer)->mark == kPreparedMark;
}

bool CacheFind(const void* cache, std::uint32_t number, std::string_view* text) {
  const CacheHeader* header = Header(cache);
  const CacheSlot* slot = Slots(cache);
  for (std::uint32_t i = 0; i < header->slot_count; ++i) {
    if (slot[i].length != kEmptySlot && slot[i].number == number) {
      *text = std::string_view(slot[i].text, slot[i].length);
      return true;
    }
  }
  return false;
}

void CacheStore(void* cache, std::uint32_t number, std::string_view text) {
  CacheHeader* header = Header(cache);
  if (header->slot_count == 0 || text.size() > kCacheTextCapacity) return;
  CacheSlot& slot = Slots(cache)[header->next_victim];
  header->next_victim = (header->next_victim + 1) % header->slot_count;
  slot.number = number;
  slot.length = static_cast<std::uint32_t>(text.size());
  std::memcpy(slot.text, text.data(), text.size());
}

}  // namespace kelnl::nls
