#include "params/hash_table.h"

#include <bit>
#include <cstring>

#include "params/slot_block.h"
#include "platform/core/allocator.h"
#include "platform/os/os.h"

// With each slot (in its padding where pointers are 8 bytes, else beside the array; see
// slot_block.h) the table keeps the key's hash and, with the default functions, a byte of a
// second hash of the key; behind the array, bitmaps of occupied and released slots. Probing then
// finds free slots in bitmaps small enough to stay in the cache; growth places entries without
// hashing their keys again; and with the default functions a probe compares hash and byte before
// it reads any key: equal keys agree on both, so a difference settles it.
//
// Two departures from the plainest open addressing keep every operation's cost independent of
// how many keys share a hash value:
// - nlhthskey keeps only the last 11 or so bytes of a key, so names with a long common tail
//   (svc000001.connect_timeout, ...) all get one hash value, and plain probing would line them
//   up in one run that each further such name walks. (Small groups are common too: numbers at
//   the end of names collide through carries, x18 and x20 alike.) A table with the default
//   functions probes plainly from the home slot; a key that meets there kSpillAfter entries or
//   tombstones of its very hash value goes on in a second run, from a slot given by a second
//   hash of the whole key. A run thus holds a few keys per hash value at most and large groups
//   spread over the table, while small groups cost what plain probing costs (no second hash, no
//   jump elsewhere). Keys whose hash values differ sit exactly where the plain algorithm puts
//   them. Tables with other functions, or with a deletion match function (which may match keys
//   of other hashes), probe plainly.
// - Deletion leaves a tombstone (the slot reads as free to callers) instead of placing every
//   later entry of the run again, which costs the square of the run's length. Probes pass over
//   tombstones; an insertion reuses one (with the default functions, only one of its own hash
//   value, which may be what sends others of that value to their second run); a table whose
//   tombstones and entries together reach half its slots is rebuilt (doubled when entries alone
//   fill more than 3/8 of it, so that rebuilds stay rare), which keeps a never-used slot on
//   every probe cycle.
//
// A large slot array starts on a large-page boundary, so that all of it can be backed by large
// pages (growth writes all over a fresh array at once, and on 4 KiB pages each page costs a
// fault); the block it lives in is then noted just before it, for the release.

namespace {

using kelnl::SlotBlock;

constexpr int32_t kInitialCapacity = 128;
// Entries of one hash value that a run holds before further keys of that value go elsewhere.
constexpr uint32_t kSpillAfter = 8;
constexpr size_t kLargeFrom = 2 * kelnl::os::kLargePageBytes;
// The steps of a probe whose key hashes PrefetchHome fetches.
constexpr uint32_t kPrefetchSteps = 2;

SlotBlock Block(const NlHashTable* table) { return SlotBlock(table->slots, table->capacity); }

bool SpreadsCollisions(const NlHashTable* table) {
  return table->hash == nlhthskey && table->equal == nlhthteq && table->delete_match == nullptr;
}

// A hash of every byte of the key, for where colliding keys go on probing. Fixed, so that a
// table's layout (and the order of nlhthseq) is the same in every run.
uint32_t SpreadHash(const void* key, uint32_t length) {
  const auto* bytes = static_cast<const unsigned char*>(key);
  uint64_t hash = 0x9E3779B97F4A7C15u ^ length;
  const auto mix = [&hash](uint64_t word) {
    hash = (hash ^ word) * 0xBF58476D1CE4E5B9u;
    hash ^= hash >> 31;
  };
  if (length >= 8) {
    // Whole words; the last one overlaps the one before it (the length is in the seed, so keys
    // of one length that agree on every word agree on every byte).
    for (uint32_t i = 0; i + 8 < length; i += 8) {
      uint64_t word;
      std::memcpy(&word, bytes + i, sizeof word);
      mix(word);
    }
    uint64_t last;
    std::memcpy(&last, bytes + length - 8, sizeof last);
    mix(last);
  } else {
    uint64_t word = 0;
    for (uint32_t i = 0; i < length; ++i) word |= uint64_t{bytes[i]} << (8 * i);
    mix(word);
  }
  hash ^= hash >> 29;
  hash *= 0xBF58476D1CE4E5B9u;
  return static_cast<uint32_t>(hash >> 32);
}

// The second hash of a probe key, computed when first needed: most probes never need it.
class SecondHash {
 public:
  SecondHash(const void* key, uint32_t length) : key_(key), length_(length) {}
  uint32_t value() {
    if (!known_) value_ = SpreadHash(key_, length_), known_ = true;
    return value_;
  }
  // A byte of it, never 0: a tag of 0 means not known (see Locate).
  uint8_t tag() { return static_cast<uint8_t>((value() >> 24) | 1); }

 private:
  const void* key_;
  uint32_t length_;
  uint32_t value_ = 0;
  bool known_ = false;
};

// One run of slots walked from start to the never-used slot that ends it: the entry match
// accepts (when match is given), whether an entry or tombstone of the key's hash value was met,
// and the first tombstone an insertion may take.
struct RunWalk {
  bool found = false;
  uint32_t slot = 0;  // the entry found, or the never-used slot that ended the run
  uint32_t same_hash_met = 0;
  bool has_reusable = false;
  uint32_t reusable = 0;
};

// The walk of a home run in a table without tombstones searched with the default functions (the
// parameter table's every store and lookup). A run's end is the slot's own flag, in the cache
// line that holds the hash compared next, rather than a bit picked out of the bitmap.
RunWalk WalkDefaultRun(const SlotBlock& block, uint32_t slot, uint32_t hash, const void* key, uint32_t length,
                       SecondHash& second) {
  RunWalk walk;
  for (; block.slots[slot].occupied != 0; slot = block.Next(slot)) {
    if (block.Hash(slot) != hash) continue;
    walk.same_hash_met += 1;
    if (block.Tag(slot) != 0 && block.Tag(slot) != second.tag()) continue;
    const NlHashSlot& entry = block.slots[slot];
    if (nlhthteq(entry.key, entry.key_length, key, length) != 0) {
      walk.found = true;
      break;
    }
  }
  walk.slot = slot;
  return walk;
}

// A table that never lost an entry (a parameter table, say) has no tombstones to look for. A
// search with the default functions (kDefault: by hash, spreading, matching with nlhthteq) is
// the parameter table's every lookup and store; its walk is compiled for it alone, as runs of
// numbered names are long.
template <bool kTombstones, bool kDefault>
RunWalk WalkRun(const SlotBlock& block, uint32_t start, uint32_t hash, const void* key, uint32_t length,
                NlKeyMatchFunction match, bool by_hash, bool spreading, SecondHash& second) {
  if constexpr (kDefault) by_hash = true, spreading = true;
  RunWalk walk;
  uint32_t slot = start;
  for (; kTombstones ? block.InUse(slot) : block.Occupied(slot); slot = block.Next(slot)) {
    const bool same_hash = block.Hash(slot) == hash;
    walk.same_hash_met += same_hash ? 1 : 0;
    if (kTombstones && !block.Occupied(slot)) {
      if (!walk.has_reusable && (!spreading || same_hash)) walk.has_reusable = true, walk.reusable = slot;
      continue;
    }
    if ((!kDefault && match == nullptr) || (by_hash && !same_hash)) continue;
    // Equal keys have equal second hashes too: a different tag settles it without the key.
    if (spreading && by_hash && block.Tag(slot) != 0 && block.Tag(slot) != second.tag()) continue;
    const NlHashSlot& entry = block.slots[slot];
    if (kDefault ? nlhthteq(entry.key, entry.key_length, key, length) != 0
                 : match(entry.key, entry.key_length, key, length) != 0) {
      walk.found = true;
      walk.slot = slot;
      return walk;
    }
  }
  walk.slot = slot;
  return walk;
}

// The key's entry that match accepts (found), or else the slot an insertion takes. Without a
// match function only the slot for an insertion is sought.
// Inlined into its few callers: the probe of every store and lookup.
[[gnu::always_inline]] inline kelnl::HashProbe Locate(const SlotBlock& block, uint32_t hash, const void* key,
                                                      uint32_t length, NlKeyMatchFunction match, bool by_hash,
                                                      bool spreading) {
  SecondHash second_hash(key, length);
  // An insertion stores the tag of every key: nlhthskey values coincide often (x18 and x20
  // alike), and a probe that meets another key of its value then tells them apart by the tag,
  // in the slot it reads anyway, rather than by comparing with a key stored elsewhere in memory.
  // Most probes of a table below half load end at once, at a home slot never used.
  if (!block.InUse(hash & block.mask)) {
    return kelnl::HashProbe{hash & block.mask, hash, false, false, spreading ? second_hash.tag() : uint8_t{0}};
  }
  const bool plain = match == nlhthteq && by_hash && spreading;
  const auto walk_run = *block.dead_count == 0 ? (plain ? WalkRun<false, true> : WalkRun<false, false>)
                                               : (plain ? WalkRun<true, true> : WalkRun<true, false>);
  const RunWalk home = walk_run(block, hash & block.mask, hash, key, length, match, by_hash, spreading, second_hash);
  if (home.found) return kelnl::HashProbe{home.slot, hash, true};
  const uint8_t tag = spreading ? second_hash.tag() : 0;
  if (!spreading || home.same_hash_met < kSpillAfter) {
    return kelnl::HashProbe{home.has_reusable ? home.reusable : home.slot, hash, false, false, tag};
  }
  const RunWalk second = walk_run(block, second_hash.value() & block.mask, hash, key, length, match, by_hash,
                                  spreading, second_hash);
  if (second.found) return kelnl::HashProbe{second.slot, hash, true, true, tag};
  const uint32_t slot = home.has_reusable ? home.reusable : second.has_reusable ? second.reusable : second.slot;
  return kelnl::HashProbe{slot, hash, false, true, tag};
}

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

// Places every entry again in a fresh array of the given capacity, each at the first free slot
// of its probe sequence; tombstones are left behind. Entries stored in their home runs go first,
// in index order, found in the bitmap alone (no key is read); then the entries of large groups
// of one hash value, which meet the first ones of their group in the home run again and go to
// their second runs. On failure the table is untouched.
// Places the entries of one word of the old bitmap. Their home slots are scattered over the new
// array, so the slots and hashes they will most likely take are fetched for all of them first:
// the misses then overlap instead of coming one after another.
void PlaceWord(const SlotBlock& from, SlotBlock& to, uint32_t word, uint32_t bits, bool second_runs,
               bool spread) {
  if (!second_runs) {
    for (uint32_t rest = bits; rest != 0; rest &= rest - 1) {
      const uint32_t home = from.Hash(word * 32 + static_cast<uint32_t>(std::countr_zero(rest))) & to.mask;
      __builtin_prefetch(&to.slots[home], 1);
      if constexpr (!SlotBlock::kInSlot) __builtin_prefetch(to.HashAddress(home), 1);
    }
  }
  for (; bits != 0; bits &= bits - 1) {
    const uint32_t i = word * 32 + static_cast<uint32_t>(std::countr_zero(bits));
    const NlHashSlot& entry = from.slots[i];
    const uint32_t hash = from.Hash(i);
    uint32_t slot = hash & to.mask;
    if (second_runs) {
      slot = Locate(to, hash, entry.key, entry.key_length, nullptr, false, spread).slot;
    } else {
      while (to.Occupied(slot)) slot = to.Next(slot);
    }
    if (second_runs) {
      to.FillFresh(slot, entry, hash, true, from.Tag(i));
    } else {
      to.CopyFresh(slot, from, i);
    }
  }
}

bool Rebuild(NlHashTable* table, int32_t capacity) {
  NlHashSlot* slots = AllocateSlots(capacity);
  if (slots == nullptr) return false;
  const SlotBlock from = Block(table);
  SlotBlock to(slots, capacity);
  const bool spread = SpreadsCollisions(table);
  const uint32_t words = from.mask / 32 + 1;
  for (const bool second_runs : {false, true}) {
    for (uint32_t word = 0; word < words; ++word) {
      // The bits of the entries this pass places, taken lowest first.
      const uint32_t bits = from.occupancy[word] & (second_runs ? from.shared[word] : ~from.shared[word]);
      if (bits != 0) PlaceWord(from, to, word, bits, second_runs, spread);
    }
  }
  ReleaseSlots(table->slots, table->capacity);
  table->slots = slots;
  table->capacity = capacity;
  return true;
}

[[gnu::noinline]] kelnl::HashProbe ProbeGenerally(const NlHashTable* table, const void* key, uint32_t length,
                                                  uint32_t hash, NlKeyMatchFunction match) {
  const bool by_hash = match == nlhthteq && table->hash == nlhthskey;
  return Locate(Block(table), hash, key, length, match, by_hash, SpreadsCollisions(table));
}

// Nearly every probe of a parameter table ends in the home run of a table without tombstones:
// that case is a short function of its own, free of the general probe's choices. A key of a
// large group of one hash value, which goes on to a second run, is probed again the general way.
kelnl::HashProbe ProbeWithHash(const NlHashTable* table, const void* key, uint32_t length, uint32_t hash,
                               NlKeyMatchFunction match) {
  const SlotBlock block = Block(table);
  if (match == nlhthteq && *block.dead_count == 0 && SpreadsCollisions(table)) {
    SecondHash second(key, length);
    const RunWalk home = WalkDefaultRun(block, hash & block.mask, hash, key, length, second);
    if (home.found) return kelnl::HashProbe{home.slot, hash, true};
    if (home.same_hash_met < kSpillAfter) return kelnl::HashProbe{home.slot, hash, false, false, second.tag()};
  }
  return ProbeGenerally(table, key, length, hash, match);
}

kelnl::HashProbe Probe(const NlHashTable* table, const void* key, uint32_t length, NlKeyMatchFunction match) {
  return ProbeWithHash(table, key, length, table->hash(key, length), match);
}

}  // namespace

namespace kelnl {

void ChangeHashTableFunctions(NlHashTable* table, NlHashFunction hash, NlKeyMatchFunction equal) {
  const bool was_spreading = SpreadsCollisions(table);
  const bool rehash = table->hash != hash;
  table->hash = hash;
  table->equal = equal;
  // The entries stay where they are; what is kept beside them must match the new functions.
  const bool retag = SpreadsCollisions(table) && (rehash || !was_spreading);
  if (!rehash && !retag) return;
  SlotBlock block = Block(table);
  for (uint32_t i = 0; i <= block.mask; ++i) {
    if (!block.Occupied(i)) continue;
    const NlHashSlot& entry = block.slots[i];
    if (rehash) block.Rehash(i, hash(entry.key, entry.key_length));
    if (retag) block.Untag(i);
  }
}

HashProbe ProbeForKey(const NlHashTable* table, const void* key, std::uint32_t length) {
  return Probe(table, key, length, table->equal);
}

void PrefetchHome(const NlHashTable* table, std::uint32_t hash) {
  const SlotBlock block = Block(table);
  const uint32_t home = hash & block.mask;
  __builtin_prefetch(&block.occupancy[home / 32], 1);
  // A probe seldom goes further than a few steps; each step lands far from the one before.
  for (uint32_t slot = home, step = 0; step < kPrefetchSteps; ++step, slot = block.Next(slot)) {
    __builtin_prefetch(&block.slots[slot], 1);
    if constexpr (!SlotBlock::kInSlot) __builtin_prefetch(block.HashAddress(slot), 1);
  }
}

HashProbe ProbeForKeyWithHash(const NlHashTable* table, const void* key, std::uint32_t length, std::uint32_t hash) {
  return ProbeWithHash(table, key, length, hash, table->equal);
}

void* InsertAtProbeAndRebuild(NlHashTable* table, HashProbe probe, const void* key, std::uint32_t length,
                              void* value) {
  SlotBlock block = Block(table);
  // (The slot's old contents are not saved for the undo: a free slot's key and value mean
  // nothing, and reading them would wait for memory that writing does not.)
  const bool was_tombstone = *block.dead_count != 0 && block.Dead(probe.slot);
  block.Fill(probe.slot, key, length, value, probe.hash, probe.hash_shared, probe.tag);
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
  // No search for an equal key: only the slot an insertion takes.
  const kelnl::HashProbe probe = Probe(table, key, length, nullptr);
  return kelnl::InsertAtProbe(table, probe, key, length, value);
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
