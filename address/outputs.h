// The bindings nladget hands out around a chosen address: routes and descriptions.
#ifndef KELNL_ADDRESS_OUTPUTS_H
#define KELNL_ADDRESS_OUTPUTS_H

#include <cstdint>

#include "address/address_node.h"

namespace kelnl::address {

// node forwards a source route: a copy of its list with the chosen child's binding replaced by
// *forward_out (and, with option 4, the new HOP_COUNT), which becomes *forward_out.
void BuildRoute(const NlAddressIterator* iterator, NlAddressNode* node, std::uint32_t chosen,
                NlnvBinding** forward_out);

// node is a DESCRIPTION: wraps the chosen outputs in descriptions holding its other parameters.
void BuildDescriptions(const NlAddressIterator* iterator, NlAddressNode* node, std::uint32_t chosen,
                       NlnvBinding** connect_out, NlnvBinding** forward_out);

}  // namespace kelnl::address

#endif
