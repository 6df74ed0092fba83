#include "params/hash_table.h"

#include <cstring>

#include "platform/core/allocator.h"
#include "params/slot_block.h"
#include "platform/os/os.h"

// Behind the slot array, in the same block (see slot_block.h), the table keeps each slot's key
// hash and bitmaps of occupied and released slots. Probing then walks bitmaps small enough to
// stay in the cache instead of 4-word slots spread over the whole array; growth places entries
// without hashing their keys again; and with the default functions a probe compares hashes
// before it reads any key: equal keys hash alike under nlhthskey, so a different hash settles it.
//
// Two departures from the plainest open addressing keep every operation's cost independent of
// how many keys share a hash value:
// - nlhthskey keeps only the last 11 or so bytes of a key, so names with a long common tail
//   (svc000001.connect_timeout, ...) all share one home slot. A table with the default functions
//   tries the home slot first, as always, so that keys which do not collide sit exactly where
//   the plain algorithm puts them; after a collision there it goes on from a slot given by a
//   second hash of the whole key, so that colliding keys spread over the table instead of
//   forming one run that every later one of them walks. Tables with other functions, or with a
//   deletion match function (which may match keys of other hashes), probe plainly from home.
// - Deletion leaves a tombstone (the slot reads as free to callers) instead of placing every
//   later entry of the run again, which costs the square of the run's length. Probes pass over
//   tombstones, insertions reuse them, and a table whose tombstones and entries together reach
//   half its slots is rebuilt (doubled when entries alone fill more than 3/8 of it, so that
//   rebuilds stay rare), which keeps a never-used slot on every probe cycle.
//
// A large slot array starts on a large-page boundary, so that all of it can be backed by large
// pages (growth writes all over a fresh array at once, and on 4 KiB pages each page costs a
// fault); the block it lives in is then noted just before it, for the release.

namespace {

using kelnl::SlotBlock;

constexpr int32_t kInitialCapacity = 128;
constexpr size_t kLargeFrom = 2 * kelnl::os::kLargePageBytes;

SlotBlock Block(const NlHashTable* table) { return SlotBlock(table->slots, table->capacity); }

bool SpreadsCollisions(const NlHashTable* table) {
  return table->hash == nlhthskey && table->equal == nlhthteq && table->delete_match == nullptr;
}

// A hash of every byte of the key, for where colliding keys go on probing. Fixed, so that a
// table's layout (and the order of nlhthseq) is the same in every run.
uint32_t SpreadHash(const void* key, uint32_t length) {
  const auto* bytes = static_cast<const unsigned char*>(key);
  uint64_t hash = 0x9E3779B97F4A7C15u ^ length;
  uint32_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    hash = (hash ^ word) * 0xBF58476D1CE4E5B9u;
    hash ^= hash >> 31;
  }
  for (; i < length; ++i) hash = (hash ^ bytes[i]) * 0x94D049BB133111EBu;
  hash ^= hash >> 29;
  hash *= 0xBF58476D1CE4E5B9u;
  return static_cast<uint32_t>(hash >> 32);
}

// The probe sequence of one key: its home slot, then (spreading) the slot of its second hash,
// then the fixed step.
class ProbePath {
 public:
  ProbePath(const SlotBlock& block, uint32_t hash, const void* key, uint32_t length, bool spread)
      : block_(block), key_(key), length_(length), slot_(hash & block.mask), spread_(spread) {}
  uint32_t slot() const { return slot_; }
  void Advance() {
    if (spread_) {
      slot_ = SpreadHash(key_, length_) & block_.mask;
      spread_ = false;
    } else {
      slot_ = block_.Next(slot_);
    }
  }

 private:
  const SlotBlock& block_;
  const void* key_;
  uint32_t length_;
  uint32_t slot_;
  bool spread_;
};

size_t BlockBytes(int32_t capacity) { return SlotBlock::Bytes(capacity); }

void** NotedBlock(NlHashSlot* slots) { return reinterpret_cast<void**>(slots) - 1; }

NlHashSlot* AllocateSlots(int32_t capacity) {
  const size_t bytes = BlockBytes(capacity);
  if (bytes < kLargeFrom) return static_cast<NlHashSlot*>(kelnl::AllocateZeroed(1, bytes));
  void* block = nullptr;
  auto* slots = static_cast<NlHashSlot*>(kelnl::AllocateOnLargePages(bytes, sizeof(void*), true, &block));
  if (slots != nullptr) *NotedBlock(slots) = block;
  return slots;
}

void ReleaseSlots(NlHashSlot* slots, int32_t capacity) {
  kelnl::Release(BlockBytes(capacity) < kLargeFrom ? slots : *NotedBlock(slots));
}

// Places every entry again in a fresh array of the given capacity, in index order, each at the
// first free slot of its probe sequence; tombstones are left behind. On failure the table is
// untouched.
bool Rebuild(NlHashTable* table, int32_t capacity) {
  NlHashSlot* slots = AllocateSlots(capacity);
  if (slots == nullptr) return false;
  const SlotBlock from = Block(table);
  SlotBlock to(slots, capacity);
  const bool spread = SpreadsCollisions(table);
  for (uint32_t i = 0; i <= from.mask; ++i) {
    if (!from.Occupied(i)) continue;
    const NlHashSlot& entry = from.slots[i];
    ProbePath path(to, from.hashes[i], entry.key, entry.key_length, spread);
    while (to.Occupied(path.slot())) path.Advance();
    to.Fill(path.slot(), entry.key, entry.key_length, entry.value, from.hashes[i]);
  }
  ReleaseSlots(table->slots, table->capacity);
  table->slots = slots;
  table->capacity = capacity;
  return true;
}

// The first slot along the key's probe sequence whose entry match accepts (found), or else the
// slot an insertion takes: the first tombstone met, or the never-used slot that ends the probe.
kelnl::HashProbe Probe(const NlHashTable* table, const void* key, uint32_t length, NlKeyMatchFunction match,
                       bool spread) {
  const SlotBlock block = Block(table);
  const uint32_t hash = table->hash(key, length);
  const bool by_hash = match == nlhthteq && table->hash == nlhthskey;
  bool have_tombstone = false;
  uint32_t tombstone = 0;
  ProbePath path(block, hash, key, length, spread);
  for (; block.InUse(path.slot()); path.Advance()) {
    const uint32_t slot = path.slot();
    if (!block.Occupied(slot)) {
      if (!have_tombstone) tombstone = slot, have_tombstone = true;
      continue;
    }
    if (by_hash && block.hashes[slot] != hash) continue;
    const NlHashSlot& entry = block.slots[slot];
    if (match(entry.key, entry.key_length, key, length) != 0) return kelnl::HashProbe{slot, hash, true};
  }
  return kelnl::HashProbe{have_tombstone ? tombstone : path.slot(), hash, false};
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
  return Probe(table, key, length, table->equal, SpreadsCollisions(table));
}

void* InsertAtProbe(NlHashTable* table, HashProbe probe, const void* key, std::uint32_t length, void* value) {
  SlotBlock block = Block(table);
  const NlHashSlot before = block.slots[probe.slot];
  const bool was_tombstone = block.Dead(probe.slot);
  block.Fill(probe.slot, key, length, value, probe.hash);
  table->count += 1;
  const int32_t in_use = table->count + static_cast<int32_t>(*block.dead_count);
  bool placed = true;
  if (table->count * 2 == table->capacity) {
    placed = Rebuild(table, table->capacity * 2);
  } else if (in_use * 2 >= table->capacity) {
    placed = Rebuild(table, table->count * 8 >= table->capacity * 3 ? table->capacity * 2 : table->capacity);
  }
  if (placed) return value;
  if (was_tombstone) {
    block.Kill(probe.slot);
  } else {
    block.Clear(probe.slot);
  }
  block.slots[probe.slot] = before;
  table->count -= 1;
  return nullptr;
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
  // No search for an equal key: the first slot free or released along the sequence.
  const SlotBlock block = Block(table);
  const uint32_t hash = table->hash(key, length);
  ProbePath path(block, hash, key, length, SpreadsCollisions(table));
  while (block.Occupied(path.slot())) path.Advance();
  return kelnl::InsertAtProbe(table, kelnl::HashProbe{path.slot(), hash, false}, key, length, value);
}

void* nlhthget(NlHashTable* table, const void* key, uint32_t length) {
  if (table == nullptr || key == nullptr) return nullptr;
  const kelnl::HashProbe probe = kelnl::ProbeForKey(table, key, length);
  return probe.found ? table->slots[probe.slot].value : nullptr;
}

void* nlhthdel(NlHashTable* table, const void* key, uint32_t length) {
  if (table == nullptr || key == nullptr) return nullptr;
  NlKeyMatchFunction match = table->delete_match != nullptr ? table->delete_match : table->equal;
  const kelnl::HashProbe probe = Probe(table, key, length, match, SpreadsCollisions(table));
  if (!probe.found) return nullptr;
  void* value = table->slots[probe.slot].value;
  Block(table).Kill(probe.slot);
  table->count -= 1;
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
