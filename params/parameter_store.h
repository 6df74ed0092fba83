// The records of a parameter table and how statements are stored into it. Shared by the reader
// and by the operations that set parameters and release tables.
#ifndef KELNL_PARAMS_PARAMETER_STORE_H
#define KELNL_PARAMS_PARAMETER_STORE_H

#include <cstdint>

#include "kelnl/nlpa.h"

namespace kelnl {

// A new value of the table with reference count 0 holding a copy of text (terminated; a null
// text leaves the length bytes for the caller to fill); null when memory ran out. The text
// lives in the same record.
NlParamValue* NewParamValue(NlParameterTable* table, const char* text, std::uint32_t length);
// A new binding of the table whose name holds a copy of name (terminated; a null name leaves
// the bytes for the caller to fill), with no value yet; null when memory ran out. The name lives
// in the same record.
NlParamBinding* NewParamBinding(NlParameterTable* table, const char* name, std::uint32_t length);
// Drops one reference; the value goes with its text and elements when fewer than 1 remain.
void ReleaseValueReference(NlParameterTable* table, NlParamValue* value);
// Releases a binding record (not its value).
void ReleaseBinding(NlParameterTable* table, NlParamBinding* binding);

// The lower case of every character, as the C runtime gives it in the locale current when taken.
// A reader takes it once instead of asking the runtime for every character of every name.
struct CaseFolding {
  unsigned char lower[256];
  bool ascii_letters_only;  // only A to Z change, each to its lower-case letter
  static CaseFolding FromRuntime();
};

// What a reader may learn of a name while it reads it, through the same folding: the nlhthskey
// value of the folded name, and whether folding leaves the name as it is.
struct FoldedNameHash {
  std::uint32_t hash;
  bool already_folded;
  static FoldedNameHash Of(const char* name, std::uint32_t length, const CaseFolding& folding);
};

// Stores one name of a statement: finds or makes the entry of the lower-cased name, replaces a
// binding of exactly the same spelling, and puts the binding at the head with its value (whose
// reference count rises by 1). Returns 0, or the code to push: 402 (no memory for the key or
// entry) or 406 (the entry could not be indexed); on failure the binding is not stored and
// remains the caller's. regression names whether new entries go to the regression side file;
// folding, when given, lowers the name (else the runtime is asked character by character), and
// known, when given, is what the same folding made of the binding's name already.
std::int32_t StoreBinding(NlParameterTable* table, NlParamBinding* binding, NlParamValue* value,
                          bool regression, const CaseFolding* folding = nullptr,
                          const FoldedNameHash* known = nullptr);

// The entry of a name, looked up case-folded in the index; null when none (or no memory for
// a long name's folded copy, reported through *out_of_memory when given).
NlParamEntry* FindEntry(NlParameterTable* table, const char* name, std::uint32_t length,
                        bool* out_of_memory = nullptr);

// Releases the text chunks, the records, the index and the table itself.
void TearDownParameterTable(NlParameterTable* table);

}  // namespace kelnl

#endif
