// The slot array of a hash table together with what the table keeps beside it, in one block:
// each slot's key hash, a bitmap of occupied slots, a bitmap of released slots (tombstones), a
// bitmap of entries stored away from their home run because many keys shared their hash value,
// the number of tombstones, and a byte of a second hash of each key (which tells most keys of
// one hash value apart without reading them). Internal to the hash table.
//
// Where pointers are 8 bytes, a slot has 4 bytes of padding behind the key length and 4 behind
// the occupied flag: the hash and the tag live there, in the cache line a probe reads anyway,
// instead of in arrays of their own. Where a slot has no padding (4-byte pointers), they follow
// the bitmaps.
#ifndef KELNL_PARAMS_SLOT_BLOCK_H
#define KELNL_PARAMS_SLOT_BLOCK_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kelnl/nlht.h"

namespace kelnl {

class SlotBlock {
  static constexpr std::size_t kHashOffset = offsetof(NlHashSlot, key_length) + sizeof(std::uint32_t);
  static constexpr std::size_t kTagOffset = offsetof(NlHashSlot, occupied) + sizeof(std::int32_t);

 public:
  static constexpr bool kInSlot = kHashOffset + sizeof(std::uint32_t) <= offsetof(NlHashSlot, value) &&
                                  kTagOffset + sizeof(std::uint8_t) <= sizeof(NlHashSlot);

  SlotBlock(NlHashSlot* block, std::int32_t capacity)
      : slots(block),
        occupancy(reinterpret_cast<std::uint32_t*>(block + capacity) + (kInSlot ? 0 : capacity)),
        dead(occupancy + BitmapWords(capacity)),
        shared(dead + BitmapWords(capacity)),
        dead_count(shared + BitmapWords(capacity)),
        mask(static_cast<std::uint32_t>(capacity) - 1) {}

  // The bytes of the block for a capacity (a power of two of at least 32).
  static std::size_t Bytes(std::int32_t capacity) {
    static_assert(alignof(NlHashSlot) >= alignof(std::uint32_t));
    const auto slots_count = static_cast<std::size_t>(capacity);
    const std::size_t beside = kInSlot ? 0 : sizeof(std::uint32_t) + sizeof(std::uint8_t);
    return slots_count * (sizeof(NlHashSlot) + beside) + (3 * BitmapWords(capacity) + 1) * sizeof(std::uint32_t);
  }

  std::uint32_t Hash(std::uint32_t slot) const {
    std::uint32_t hash;
    std::memcpy(&hash, HashAddress(slot), sizeof hash);
    return hash;
  }
  std::uint8_t Tag(std::uint32_t slot) const { return *TagAddress(slot); }
  // Where a probe of this slot reads the hash (for fetching it early).
  const void* HashAddress(std::uint32_t slot) const {
    if constexpr (kInSlot) return reinterpret_cast<const char*>(&slots[slot]) + kHashOffset;
    return HashArray() + slot;
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
    Store(slot, key, length, value, hash, tag, tag != 0 || was_dead);
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
    Store(slot, entry.key, entry.key_length, entry.value, hash, tag, tag != 0);
    occupancy[slot / kBits] |= Mask(slot);
    if (hash_shared) shared[slot / kBits] |= Mask(slot);
  }
  // Fills a slot of a fresh block with the entry of another block's slot, hash and tag
  // included, as an entry of its home run.
  void CopyFresh(std::uint32_t slot, const SlotBlock& from, std::uint32_t from_slot) {
    if constexpr (kInSlot) {
      std::memcpy(&slots[slot], &from.slots[from_slot], sizeof(NlHashSlot));
      occupancy[slot / kBits] |= Mask(slot);
    } else {
      FillFresh(slot, from.slots[from_slot], from.Hash(from_slot), false, from.Tag(from_slot));
    }
  }
  // Replaces the hash kept for an occupied slot (the table's hash function changed).
  void Rehash(std::uint32_t slot, std::uint32_t hash) { std::memcpy(MutableHashAddress(slot), &hash, sizeof hash); }
  void Untag(std::uint32_t slot) { *TagAddress(slot) = 0; }
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
    *TagAddress(slot) = 0;
  }

  NlHashSlot* slots;
  std::uint32_t* occupancy;
  std::uint32_t* dead;
  std::uint32_t* shared;
  std::uint32_t* dead_count;
  std::uint32_t mask;

 private:
  static constexpr std::uint32_t kBits = 32;
  static std::size_t BitmapWords(std::int32_t capacity) { return static_cast<std::size_t>(capacity) / kBits; }
  static std::uint32_t Mask(std::uint32_t slot) { return std::uint32_t{1} << (slot % kBits); }
  static bool Bit(const std::uint32_t* bitmap, std::uint32_t slot) {
    return (bitmap[slot / kBits] >> (slot % kBits) & 1) != 0;
  }

  // The arrays beside the slots where a slot has no room for them: hashes, then tags.
  std::uint32_t* HashArray() const { return reinterpret_cast<std::uint32_t*>(slots + mask + 1); }
  std::uint8_t* TagArray() const { return reinterpret_cast<std::uint8_t*>(dead_count + 1); }
  void* MutableHashAddress(std::uint32_t slot) { return const_cast<void*>(HashAddress(slot)); }
  std::uint8_t* TagAddress(std::uint32_t slot) const {
    if constexpr (kInSlot) return reinterpret_cast<std::uint8_t*>(&slots[slot]) + kTagOffset;
    return TagArray() + slot;
  }

  // The fields are written one by one: a whole-record assignment may write over the padding.
  void Store(std::uint32_t slot, const void* key, std::uint32_t length, void* value, std::uint32_t hash,
             std::uint8_t tag, bool write_tag) {
    NlHashSlot& target = slots[slot];
    target.key = key;
    target.key_length = length;
    target.value = value;
    target.occupied = 1;
    Rehash(slot, hash);
    if (kInSlot || write_tag) *TagAddress(slot) = tag;
  }
};

}  // namespace kelnl

#endif
