// The machine's data-representation descriptor and its byte vector.
#ifndef KELNL_CONTEXT_DATA_REPRESENTATION_H
#define KELNL_CONTEXT_DATA_REPRESENTATION_H

#include "kelnl/nlstd.h"

namespace kelnl {

// Byte-order tables in the block at byte_orders: two for 4-byte integers, one for floats, one
// for doubles. Entry i of a table gives the memory position of the byte of significance i.
inline constexpr int kInt4TableA = 0;
inline constexpr int kInt4TableB = 4;
inline constexpr int kFloatTable = 8;
inline constexpr int kDoubleTable = 12;
inline constexpr int kByteOrderBlockBytes = 20;

// Fills every word of the descriptor and its vector; byte_orders must point to a block of
// kByteOrderBlockBytes.
void DescribeMachine(NlDataRepresentation* descriptor);

}  // namespace kelnl

#endif
