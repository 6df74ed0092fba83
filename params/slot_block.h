// The slot array of a hash table together with what the table keeps beside it, in one block:
// each slot's key hash, a bitmap of occupied slots, a bitmap of released slots (tombstones), a
// bitmap of entries stored away from their home run because many keys shared their hash value,
// the number of tombstones, and a byte of a second hash of each key (which tells most keys of
// one hash value apart without reading them). Internal to the hash table.
#ifndef KELNL_PARAMS_SLOT_BLOCK_H
#define KELNL_PARAMS_SLOT_BLOCK_H

#include <cstddef>
#include <cstdint>

#include "kelnl/nlht.h"

namespace kelnl {

class SlotBlock {
 public:
  SlotBlock(NlHashSlot* block, std::int32_t capacity)
      : slots(block),
        hashes(reinterpret_cast<std::uint32_t*>(block + capacity)),
        occupancy(hashes + capacity),
        dead(occupancy + BitmapWords(capacity)),
        shared(dead + BitmapWords(capacity)),
        dead_count(shared + BitmapWords(capacity)),
        tags(reinterpret_cast<std::uint8_t*>(dead_count + 1)),
        mask(static_cast<std::uint32_t>(capacity) - 1) {}

  // The bytes of the block for a capacity (a power of two of at least 32).
  static std::size_t Bytes(std::int32_t capacity) {
    static_assert(alignof(NlHashSlot) >= alignof(std::uint32_t));
    const auto slots_count = static_cast<std::size_t>(capacity);
    return slots_count * (sizeof(NlHashSlot) + sizeof(std::uint32_t) + sizeof(std::uint8_t)) +
           (3 * BitmapWords(capacity) + 1) * sizeof(std::uint32_t);
  }

  bool Occupied(std::uint32_t slot) const { return Bit(occupancy, slot); }
  bool Dead(std::uint32_t slot) const { return Bit(dead, slot); }
  bool Shared(std::uint32_t slot) const { return Bit(shared, slot); }
  // A probe goes on over occupied slots and tombstones; only a never-used slot ends it.
  bool InUse(std::uint32_t slot) const {
    const std::uint32_t word = slot / kBits;
    return ((occupancy[word] | dead[word]) >> (slot % kBits) & 1) != 0;
  }

  // The step ((i + 1) * 3) splits a power-of-two array into two cycles of half its size; while
  // fewer than half the slots are in use, every cycle holds a never-used slot and probing ends.
  std::uint32_t Next(std::uint32_t slot) const { return ((slot + 1) * 3) & mask; }

  void Fill(std::uint32_t slot, const void* key, std::uint32_t length, void* value, std::uint32_t hash,
            bool hash_shared, std::uint8_t tag) {
    // A never-used slot holds zeros beside it already; only a tombstone's leftovers need clearing
    // (and a table without tombstones need not even look).
    const bool was_dead = *dead_count != 0 && Dead(slot);
    if (was_dead) {
      dead[slot / kBits] &= ~Mask(slot);
      *dead_count -= 1;
    }
    slots[slot] = NlHashSlot{key, length, value, 1};
    hashes[slot] = hash;
    if (tag != 0 || was_dead) tags[slot] = tag;
    occupancy[slot / kBits] |= Mask(slot);
    if (hash_shared) {
      shared[slot / kBits] |= Mask(slot);
    } else if (was_dead) {
      shared[slot / kBits] &= ~Mask(slot);
    }
  }
  // Fills a slot of a fresh block (no tombstones, nothing flagged yet).
  void FillFresh(std::uint32_t slot, const NlHashSlot& entry, std::uint32_t hash, bool hash_shared,
                 std::uint8_t tag) {
    slots[slot] = NlHashSlot{entry.key, entry.key_length, entry.value, 1};
    hashes[slot] = hash;
    if (tag != 0) tags[slot] = tag;
    occupancy[slot / kBits] |= Mask(slot);
    if (hash_shared) shared[slot / kBits] |= Mask(slot);
  }
  // Empties an occupied slot; as a tombstone, it still carries the probes that passed it.
  void Kill(std::uint32_t slot) {
    slots[slot].occupied = 0;
    occupancy[slot / kBits] &= ~Mask(slot);
    dead[slot / kBits] |= Mask(slot);
    *dead_count += 1;
  }
  // Undoes the Fill of a slot that was never used before.
  void Clear(std::uint32_t slot) {
    slots[slot].occupied = 0;
    occupancy[slot / kBits] &= ~Mask(slot);
    shared[slot / kBits] &= ~Mask(slot);
    tags[slot] = 0;
  }

  NlHashSlot* slots;
  std::uint32_t* hashes;
  std::uint32_t* occupancy;
  std::uint32_t* dead;
  std::uint32_t* shared;
  std::uint32_t* dead_count;
  std::uint8_t* tags;
  std::uint32_t mask;

 private:
  static constexpr std::uint32_t kBits = 32;
  static std::size_t BitmapWords(std::int32_t capacity) { return static_cast<std::size_t>(capacity) / kBits; }
  static std::uint32_t Mask(std::uint32_t slot) { return std::uint32_t{1} << (slot % kBits); }
  static bool Bit(const std::uint32_t* bitmap, std::uint32_t slot) {
    return (bitmap[slot / kBits] >> (slot % kBits) & 1) != 0;
  }
};

}  // namespace kelnl

#endif
