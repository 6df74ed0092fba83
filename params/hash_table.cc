#include "params/hash_table.h"

#include <cstring>

#include "platform/core/allocator.h"

namespace {

constexpr int32_t kInitialCapacity = 128;

uint32_t Mask(const NlHashTable* table) { return static_cast<uint32_t>(table->capacity) - 1; }

uint32_t HomeSlot(const NlHashTable* table, const void* key, uint32_t length) {
  return table->hash(key, length) & Mask(table);
}

// The step ((i + 1) * 3) splits a power-of-two array into two cycles of half its size; keeping
// the table under half full guarantees a free slot on every cycle, so probing always ends.
uint32_t NextSlot(uint32_t slot, uint32_t mask) { return ((slot + 1) * 3) & mask; }

uint32_t FirstFreeSlot(const NlHashSlot* slots, uint32_t home, uint32_t mask) {
  uint32_t slot = home;
  while (slots[slot].occupied != 0) slot = NextSlot(slot, mask);
  return slot;
}

NlHashSlot* AllocateSlots(int32_t capacity) {
  return static_cast<NlHashSlot*>(kelnl::AllocateZeroed(static_cast<size_t>(capacity), sizeof(NlHashSlot)));
}

// Doubles the slot array, placing each entry at the first free slot of its probe sequence under
// the new mask. On failure the table is untouched.
bool Grow(NlHashTable* table) {
  const int32_t capacity = table->capacity * 2;
  NlHashSlot* slots = AllocateSlots(capacity);
  if (slots == nullptr) return false;
  const uint32_t mask = static_cast<uint32_t>(capacity) - 1;
  for (int32_t i = 0; i < table->capacity; ++i) {
    const NlHashSlot& entry = table->slots[i];
    if (entry.occupied == 0) continue;
    slots[FirstFreeSlot(slots, table->hash(entry.key, entry.key_length) & mask, mask)] = entry;
  }
  kelnl::Release(table->slots);
  table->slots = slots;
  table->capacity = capacity;
  return true;
}

// The slot of the first entry along the key's probe sequence that match accepts, or -1.
int64_t FindSlot(const NlHashTable* table, const void* key, uint32_t length, NlKeyMatchFunction match) {
  const uint32_t mask = Mask(table);
  for (uint32_t slot = HomeSlot(table, key, length); table->slots[slot].occupied != 0;
       slot = NextSlot(slot, mask)) {
    const NlHashSlot& entry = table->slots[slot];
    if (match(entry.key, entry.key_length, key, length) != 0) return slot;
  }
  return -1;
}

// After a deletion, every entry of the run that followed the freed slot is placed again from its
// home slot, so that no probe sequence is cut by the new hole.
void RepairAfter(NlHashTable* table, uint32_t freed) {
  const uint32_t mask = Mask(table);
  for (uint32_t slot = NextSlot(freed, mask); table->slots[slot].occupied != 0; slot = NextSlot(slot, mask)) {
    const NlHashSlot entry = table->slots[slot];
    table->slots[slot].occupied = 0;
    table->slots[FirstFreeSlot(table->slots, HomeSlot(table, entry.key, entry.key_length), mask)] = entry;
  }
}

}  // namespace

namespace kelnl {

void SetHashTableFunctions(NlHashTable* table, NlHashFunction hash, NlKeyMatchFunction equal) {
  table->hash = hash;
  table->equal = equal;
}

HashProbe ProbeForKey(const NlHashTable* table, const void* key, std::uint32_t length) {
  const uint32_t mask = Mask(table);
  uint32_t slot = HomeSlot(table, key, length);
  for (; table->slots[slot].occupied != 0; slot = NextSlot(slot, mask)) {
    const NlHashSlot& entry = table->slots[slot];
    if (table->equal(entry.key, entry.key_length, key, length) != 0) return HashProbe{slot, true};
  }
  return HashProbe{slot, false};
}

void* InsertAtProbe(NlHashTable* table, HashProbe probe, const void* key, std::uint32_t length, void* value) {
  table->slots[probe.slot] = NlHashSlot{key, length, value, 1};
  table->count += 1;
  if (table->count * 2 == table->capacity && !Grow(table)) {
    table->slots[probe.slot].occupied = 0;
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
  kelnl::Release(table->slots);
  kelnl::Release(table);
}

void* nlhthput(NlHashTable* table, const void* key, uint32_t length, void* value) {
  if (table == nullptr || key == nullptr) return nullptr;
  const uint32_t slot = FirstFreeSlot(table->slots, HomeSlot(table, key, length), Mask(table));
  return kelnl::InsertAtProbe(table, kelnl::HashProbe{slot, false}, key, length, value);
}

void* nlhthget(NlHashTable* table, const void* key, uint32_t length) {
  if (table == nullptr || key == nullptr) return nullptr;
  const int64_t slot = FindSlot(table, key, length, table->equal);
  return slot < 0 ? nullptr : table->slots[slot].value;
}

void* nlhthdel(NlHashTable* table, const void* key, uint32_t length) {
  if (table == nullptr || key == nullptr) return nullptr;
  NlKeyMatchFunction match = table->delete_match != nullptr ? table->delete_match : table->equal;
  const int64_t found = FindSlot(table, key, length, match);
  if (found < 0) return nullptr;
  const auto slot = static_cast<uint32_t>(found);
  void* value = table->slots[slot].value;
  table->slots[slot].occupied = 0;
  table->count -= 1;
  RepairAfter(table, slot);
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
