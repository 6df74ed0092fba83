// Failover, load balance and source route of a list node, from the list's own parameters.
#ifndef KELNL_ADDRESS_LIST_FLAGS_H
#define KELNL_ADDRESS_LIST_FLAGS_H

#include <cstdint>
#include <string_view>

#include "address/address_node.h"

namespace kelnl::address {

// Sets node->flags and node->hop of a list node (kinds 0 to 2) whose name is as written.
void ComputeListFlags(NlAddressNode* node, std::string_view name, std::uint16_t options);

// atoi's reading of a decimal text, saturated to the 32-bit range as the product's C runtime
// saturates it, where the C standard leaves an overflow undefined.
std::int32_t DecimalValue(const char* text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kelnl::address

#endif
