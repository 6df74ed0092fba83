#include "params/hash_table.h"

#include <cstring>

#include "platform/core/allocator.h"
#include "platform/os/os.h"

// Behind the slot array, in the same block, the table keeps each slot's key hash and a bit that
// mirrors its occupied flag. Probing then walks a bitmap small enough to stay in the cache
// instead of 4-word slots spread over the whole array; growth and chain repair place entries
// without hashing their keys again (which would also read every key from wherever it lives); and
// with the default functions a probe compares hashes before it reads any key: equal keys hash
// alike under nlhthskey, so a different hash settles it. (A second, stronger hash per slot would
// spare the key comparisons where nlhthskey collides, but measured slower: the extra side-array
// bytes cost more than those comparisons.) The slots themselves stay exactly as callers see
// them, and every slot lands where the plain algorithm puts it.
//
// A large slot array starts on a large-page boundary, so that all of it can be backed by large
// pages (growth writes all over a fresh array at once, and on 4 KiB pages each page costs a
// fault); the block it lives in is then noted just before it, for the release.

namespace {

constexpr int32_t kInitialCapacity = 128;
constexpr uint32_t kBitsPerWord = 32;
constexpr size_t kLargeFrom = 2 * kelnl::os::kLargePageBytes;

// The slot array of one capacity together with its side arrays.
struct SlotBlock {
  NlHashSlot* slots;
  uint32_t* hashes;
  uint32_t* occupancy;
  uint32_t mask;

  SlotBlock(NlHashSlot* block, int32_t capacity)
      : slots(block),
        hashes(reinterpret_cast<uint32_t*>(block + capacity)),
        occupancy(hashes + capacity),
        mask(static_cast<uint32_t>(capacity) - 1) {}

  bool Occupied(uint32_t slot) const { return (occupancy[slot / kBitsPerWord] >> (slot % kBitsPerWord) & 1) != 0; }

  // The step ((i + 1) * 3) splits a power-of-two array into two cycles of half its size;
  // keeping the table under half full guarantees a free slot on every cycle, so probing ends.
  uint32_t Next(uint32_t slot) const { return ((slot + 1) * 3) & mask; }

  uint32_t FirstFree(uint32_t hash) const {
    uint32_t slot = hash & mask;
    while (Occupied(slot)) slot = Next(slot);
    return slot;
  }

  void Fill(uint32_t slot, const NlHashSlot& entry, uint32_t hash) {
    slots[slot] = NlHashSlot{entry.key, entry.key_length, entry.value, 1};
    hashes[slot] = hash;
    occupancy[slot / kBitsPerWord] |= uint32_t{1} << (slot % kBitsPerWord);
  }

  void Free(uint32_t slot) {
    slots[slot].occupied = 0;
    occupancy[slot / kBitsPerWord] &= ~(uint32_t{1} << (slot % kBitsPerWord));
  }
};

SlotBlock Block(const NlHashTable* table) { return SlotBlock(table->slots, table->capacity); }

// The bytes of the slot array and its side arrays.
size_t SlotBlockBytes(int32_t capacity) {
  static_assert(alignof(NlHashSlot) >= alignof(uint32_t) && alignof(NlHashSlot) >= alignof(void*));
  const auto slots = static_cast<size_t>(capacity);
  return slots * (sizeof(NlHashSlot) + sizeof(uint32_t)) + slots / kBitsPerWord * sizeof(uint32_t);
}

void** NotedBlock(NlHashSlot* slots) { return reinterpret_cast<void**>(slots) - 1; }

NlHashSlot* AllocateSlots(int32_t capacity) {
  const size_t bytes = SlotBlockBytes(capacity);
  if (bytes < kLargeFrom) return static_cast<NlHashSlot*>(kelnl::AllocateZeroed(1, bytes));
  void* block = nullptr;
  auto* slots = static_cast<NlHashSlot*>(kelnl::AllocateOnLargePages(bytes, sizeof(void*), true, &block));
  if (slots != nullptr) *NotedBlock(slots) = block;
  return slots;
}

void ReleaseSlots(NlHashSlot* slots, int32_t capacity) {
  kelnl::Release(SlotBlockBytes(capacity) < kLargeFrom ? slots : *NotedBlock(slots));
}

// Doubles the slot array, placing each entry at the first free slot of its probe sequence under
// the new mask. On failure the table is untouched.
bool Grow(NlHashTable* table) {
  const int32_t capacity = table->capacity * 2;
  NlHashSlot* slots = AllocateSlots(capacity);
  if (slots == nullptr) return false;
  const SlotBlock from = Block(table);
  SlotBlock to(slots, capacity);
  for (uint32_t i = 0; i <= from.mask; ++i) {
    if (from.Occupied(i)) to.Fill(to.FirstFree(from.hashes[i]), from.slots[i], from.hashes[i]);
  }
  ReleaseSlots(table->slots, table->capacity);
  table->slots = slots;
  table->capacity = capacity;
  return true;
}

// The first slot along the probe sequence of a key hashing to hash whose entry match accepts,
// or the free slot that ends the sequence (found false).
kelnl::HashProbe Probe(const NlHashTable* table, const void* key, uint32_t length, NlKeyMatchFunction match) {
  const SlotBlock block = Block(table);
  const uint32_t hash = table->hash(key, length);
  const bool by_hash = match == nlhthteq && table->hash == nlhthskey;
  uint32_t slot = hash & block.mask;
  for (; block.Occupied(slot); slot = block.Next(slot)) {
    if (by_hash && block.hashes[slot] != hash) continue;
    const NlHashSlot& entry = block.slots[slot];
    if (match(entry.key, entry.key_length, key, length) != 0) return kelnl::HashProbe{slot, hash, true};
  }
  return kelnl::HashProbe{slot, hash, false};
}

// After a deletion, every entry of the run that followed the freed slot is placed again from its
// home slot, so that no probe sequence is cut by the new hole.
void RepairAfter(NlHashTable* table, uint32_t freed) {
  SlotBlock block = Block(table);
  for (uint32_t slot = block.Next(freed); block.Occupied(slot); slot = block.Next(slot)) {
    const NlHashSlot entry = block.slots[slot];
    block.Free(slot);
    const uint32_t hash = block.hashes[slot];
    block.Fill(block.FirstFree(hash), entry, hash);
  }
}

}  // namespace

namespace kelnl {

void SetHashTableFunctions(NlHashTable* table, NlHashFunction hash, NlKeyMatchFunction equal) {
  if (table->hash != hash) {
    const SlotBlock block = Block(table);
    for (uint32_t i = 0; i <= block.mask; ++i) {
      if (block.Occupied(i)) block.hashes[i] = hash(block.slots[i].key, block.slots[i].key_length);
    }
  }
  table->hash = hash;
  table->equal = equal;
}

HashProbe ProbeForKey(const NlHashTable* table, const void* key, std::uint32_t length) {
  return Probe(table, key, length, table->equal);
}

void* InsertAtProbe(NlHashTable* table, HashProbe probe, const void* key, std::uint32_t length, void* value) {
  Block(table).Fill(probe.slot, NlHashSlot{key, length, value, 1}, probe.hash);
  table->count += 1;
  if (table->count * 2 == table->capacity && !Grow(table)) {
    Block(table).Free(probe.slot);
    table->count -= 1;
    return nullptr;
  }
  return value;
}

}  // namespace kelnl

extern "C" {

NlHashTable* nlhthnew(NlHashFunction hash, NlKeyMatchFunction equal) {
  auto* table = static_cast<NlHashTable*>(kelnl::AllocateZeroed(1, sizeof(NlHashTable)));
  if (table == nullptr) return nullptr;
  table->slots = AllocateSlots(kInitialCapacity);
  if (table->slots == nullptr) {
    kelnl::Release(table);
    return nullptr;
  }
  table->hash = hash;
  table->equal = equal;
  table->capacity = kInitialCapacity;
  return table;
}

NlHashTable* nlhthnewWDup(NlHashFunction hash, NlKeyMatchFunction equal, NlKeyMatchFunction delete_match) {
  NlHashTable* table = nlhthnew(hash, equal);
  if (table != nullptr) table->delete_match = delete_match;
  return table;
}

void nlhthfre(NlHashTable* table) {
  if (table == nullptr) return;
  ReleaseSlots(table->slots, table->capacity);
  kelnl::Release(table);
}

void* nlhthput(NlHashTable* table, const void* key, uint32_t length, void* value) {
  if (table == nullptr || key == nullptr) return nullptr;
  const uint32_t hash = table->hash(key, length);
  const uint32_t slot = Block(table).FirstFree(hash);
  return kelnl::InsertAtProbe(table, kelnl::HashProbe{slot, hash, false}, key, length, value);
}

void* nlhthget(NlHashTable* table, const void* key, uint32_t length) {
  if (table == nullptr || key == nullptr) return nullptr;
  const kelnl::HashProbe probe = kelnl::ProbeForKey(table, key, length);
  return probe.found ? table->slots[probe.slot].value : nullptr;
}

void* nlhthdel(NlHashTable* table, const void* key, uint32_t length) {
  if (table == nullptr || key == nullptr) return nullptr;
  NlKeyMatchFunction match = table->delete_match != nullptr ? table->delete_match : table->equal;
  const kelnl::HashProbe probe = Probe(table, key, length, match);
  if (!probe.found) return nullptr;
  void* value = table->slots[probe.slot].value;
  Block(table).Free(probe.slot);
  table->count -= 1;
  RepairAfter(table, probe.slot);
  return value;
}

void* nlhthseq(NlHashTable* table, int32_t* cursor) {
  if (table == nullptr || cursor == nullptr) return nullptr;
  for (int32_t slot = *cursor < 0 ? 0 : *cursor; slot < table->capacity; ++slot) {
    if (table->slots[slot].occupied != 0) {
      *cursor = slot + 1;
      return table->slots[slot].value;
    }
  }
  *cursor = table->capacity;
  return nullptr;
}

int32_t nlhthsize(NlHashTable* table) { return table == nullptr ? 0 : table->count; }

uint32_t nlhthskey(const void* key, uint32_t length) {
  const auto* bytes = static_cast<const unsigned char*>(key);
  uint32_t hash = 0;
  for (uint32_t i = 0; i < length; ++i) hash = hash * 8 + bytes[i];
  return hash;
}

int32_t nlhthteq(const void* key1, uint32_t length1, const void* key2, uint32_t length2) {
  if (length1 != length2) return 0;
  return length1 == 0 || std::memcmp(key1, key2, length1) == 0 ? 1 : 0;
}

}  // extern "C"
