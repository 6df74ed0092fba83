// Internal operations on NlHashTable beyond the exported ones.
#ifndef KELNL_PARAMS_HASH_TABLE_H
#define KELNL_PARAMS_HASH_TABLE_H

#include <cstdint>

#include "kelnl/nlht.h"
#include "params/slot_block.h"

namespace kelnl {

// Replaces the hash and equality functions of an existing table. The parameter table installs
// its own before parsing into an existing table and before every lookup, so that a table built
// by a caller with other functions is still searched the way its entries were stored.
void ChangeHashTableFunctions(NlHashTable* table, NlHashFunction hash, NlKeyMatchFunction equal);
inline void SetHashTableFunctions(NlHashTable* table, NlHashFunction hash, NlKeyMatchFunction equal) {
  if (table->hash != hash || table->equal != equal) ChangeHashTableFunctions(table, hash, equal);
}

// One probe serving both a lookup and the insertion that follows a miss: a lookup stops at the
// first equal entry or at the first free slot, and that free slot is where nlhthput would store
// the key. Nothing may change the table between ProbeForKey and InsertAtProbe.
struct HashProbe {
  std::uint32_t slot;
  std::uint32_t hash;  // the key's hash under the table's function
  bool found;
  bool hash_shared = false;  // away from the home run: many keys share the hash value
  std::uint8_t tag = 0;      // a byte of the key's second hash (default functions only)
};
HashProbe ProbeForKey(const NlHashTable* table, const void* key, std::uint32_t length);
// The same probe for a caller that computed the key's hash under the table's function already.
HashProbe ProbeForKeyWithHash(const NlHashTable* table, const void* key, std::uint32_t length, std::uint32_t hash);
// Starts fetching the parts of the table that a probe for a key of this hash (under the table's
// function) reads and writes first, so that a caller who knows the key well before it stores it
// does not wait for them then. Changes nothing.
void PrefetchHome(const NlHashTable* table, std::uint32_t hash);
// Stores a key that ProbeForKey did not find, exactly as nlhthput would (growing at half load);
// returns value, or null when the growth failed and the table is as it was.
void* InsertAtProbeAndRebuild(NlHashTable* table, HashProbe probe, const void* key, std::uint32_t length,
                              void* value);
// The same; nearly every insertion neither grows the table nor reuses a tombstone, and is a few
// instructions inline.
inline void* InsertAtProbe(NlHashTable* table, HashProbe probe, const void* key, std::uint32_t length,
                           void* value) {
  SlotBlock block(table->slots, table->capacity);
  if (*block.dead_count != 0 || (table->count + 1) * 2 >= table->capacity) {
    return InsertAtProbeAndRebuild(table, probe, key, length, value);
  }
  block.Fill(probe.slot, key, length, value, probe.hash, probe.hash_shared, probe.tag);
  table->count += 1;
  return value;
}

}  // namespace kelnl

#endif
