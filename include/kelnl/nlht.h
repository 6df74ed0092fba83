/* NlHashTable: an open-addressing table from (key bytes, length) to a value pointer. */
#ifndef KELNL_NLHT_H
#define KELNL_NLHT_H

#include "nlbase.h"

KELNL_EXTERN_C_BEGIN

typedef uint32_t (*NlHashFunction)(const void *key, uint32_t length);
/* Non-zero when the stored key equals the probe key. */
typedef int32_t (*NlKeyMatchFunction)(const void *stored_key, uint32_t stored_length,
                                      const void *probe_key, uint32_t probe_length);

typedef struct NlHashSlot {
  const void *key;
  uint32_t key_length;
  void *value;
  int32_t occupied; /* 1 occupied, 0 free */
} NlHashSlot;

/* The table never owns keys or values: it stores the caller's pointers. Capacity is a power of
 * two, 128 at creation, doubled when half full, never shrunk (after deletions it may also double
 * once more than 3/8 of it is in use and released slots fill the rest of the half). A key's home
 * slot is hash & (capacity - 1); with the default functions, keys that meet another key there
 * go on from a slot of a second hash of the whole key, so that keys whose nlhthskey values
 * coincide cost no more than others. Equal keys may be stored several times. No locks: one
 * thread at a time. */
typedef struct NlHashTable {
  NlHashSlot *slots;
  NlHashFunction hash;
  NlKeyMatchFunction equal;
  NlKeyMatchFunction delete_match; /* used by nlhthdel instead of equal when set */
  int32_t capacity;
  int32_t count;
} NlHashTable;

/* A new empty table; null when memory runs out. Release with nlhthfre. */
NlHashTable *nlhthnew(NlHashFunction hash, NlKeyMatchFunction equal);
/* As nlhthnew, with a separate match function for deletion. */
NlHashTable *nlhthnewWDup(NlHashFunction hash, NlKeyMatchFunction equal, NlKeyMatchFunction delete_match);
/* Releases the slot array and the table (null allowed); keys and values are the caller's. */
void nlhthfre(NlHashTable *table);
/* Stores an entry without looking for an equal key. Returns value; null when table or key is null
 * or the growth the insertion needed failed (the table is then as before the call). */
void *nlhthput(NlHashTable *table, const void *key, uint32_t length, void *value);
/* The value of the first equal entry along the key's probe sequence; null when none. */
void *nlhthget(NlHashTable *table, const void *key, uint32_t length);
/* Removes the first matching entry along the probe sequence and returns its value; null when
 * none. The slot reads as free at once; it keeps carrying the probes of the other keys until
 * an insertion reuses it or the table is rebuilt, so deletion costs the same however long the
 * run of colliding keys around it. */
void *nlhthdel(NlHashTable *table, const void *key, uint32_t length);
/* The value of the next occupied slot at or after *cursor (start at 0), advancing the cursor
 * past it; null at the end. Slot order, not insertion order. */
void *nlhthseq(NlHashTable *table, int32_t *cursor);
/* The number of entries; 0 for a null table. */
int32_t nlhthsize(NlHashTable *table);
/* The default hash: h = h * 8 + byte over the key, wrapping at 32 bits. */
uint32_t nlhthskey(const void *key, uint32_t length);
/* The default equality: 1 when lengths and bytes are equal (case matters), else 0. */
int32_t nlhthteq(const void *key1, uint32_t length1, const void *key2, uint32_t length2);

KELNL_EXTERN_C_END

#endif
