// Internal operations on NlHashTable beyond the exported ones.
#ifndef KELNL_PARAMS_HASH_TABLE_H
#define KELNL_PARAMS_HASH_TABLE_H

#include "kelnl/nlht.h"

namespace kelnl {

// Replaces the hash and equality functions of an existing table. The parameter table installs
// its own before parsing into an existing table and before every lookup, so that a table built
// by a caller with other functions is still searched the way its entries were stored.
void SetHashTableFunctions(NlHashTable* table, NlHashFunction hash, NlKeyMatchFunction equal);

}  // namespace kelnl

#endif
