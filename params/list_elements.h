// Splitting a list value such as (a, 'b,c', (d,e)) into its elements, on first demand.
#ifndef KELNL_PARAMS_LIST_ELEMENTS_H
#define KELNL_PARAMS_LIST_ELEMENTS_H

#include <cstdint>

#include "kelnl/nlpa.h"

namespace kelnl {

// Fills value->elements (a record of the table) and value->element_count unless already split. Returns 0, 402 (no
// memory; nothing changes) or 427 (malformed: no elements kept, the count reached is kept). A
// failed split leaves the value usable as text.
std::int32_t SplitListValue(NlParameterTable* table, NlParamValue* value);

// The index-th element (from 1) of a split value, and its length.
const char* ListElement(const NlParamValue* value, std::uint32_t index, std::uint32_t* length);

}  // namespace kelnl

#endif
