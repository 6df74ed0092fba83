// The bindings of one entry by exact spelling. An entry holds one binding per spelling of its
// name (TRACE_LEVEL, trace_level, Trace_Level, ...), newest first. Finding the one of a given
// spelling by walking them costs as much as there are spellings, so that a file of n spellings
// of one name would cost n squared. Instead, the bindings of every entry with more than one
// spelling are also kept in a table-wide index by exact spelling, together with the binding
// before each in its list, so that one in the middle is unlinked at once. Entries with a single
// spelling, nearly all of them, cost the index nothing, and binding records carry no link back.
#ifndef KELNL_PARAMS_SPELLING_INDEX_H
#define KELNL_PARAMS_SPELLING_INDEX_H

#include <cstddef>
#include <cstdint>

#include "kelnl/nlpa.h"

namespace kelnl {

// The bytes of a binding record with a name of length characters (the terminator included).
std::size_t BindingRecordBytes(std::uint32_t length);
// Where the name of a binding record starts, right behind the record's last field.
char* BindingNameStorage(NlParamBinding* binding);

// The entry's binding spelt exactly as name; null when none.
NlParamBinding* FindSpelling(NlParameterTable* table, const NlParamEntry* entry, const char* name,
                             std::uint32_t length);

// Puts binding at the head of the entry's list. The binding of the same spelling, if any, is
// unlinked and returned in *replaced (its value untouched). False when memory ran out for the
// index: nothing changed then.
bool LinkBinding(NlParameterTable* table, NlParamEntry* entry, NlParamBinding* binding, NlParamBinding** replaced);

// Releases the table's spelling index (the bindings are the table's records).
void ReleaseSpellingIndex(NlParameterTable* table);

}  // namespace kelnl

#endif
