// The pieces of the multiple-address iterator behind nlmadini, nlmadget and nlmadtrm.
#ifndef KELNL_ADDRESS_MULTI_ADDRESS_H
#define KELNL_ADDRESS_MULTI_ADDRESS_H

#include <cstdint>

#include "kelnl/nlmad.h"

namespace kelnl::address {

// Fills a zeroed handle from the caller's text: the normalised list, form, counts and the used
// table. Results as nlmadini's.
std::int32_t NormaliseDescriptor(NlMultiAddressIterator* handle, const char* text, std::uint32_t length);

bool DescriptionUsed(const NlMultiAddressIterator* handle, std::uint32_t index);
void MarkDescriptionUsed(NlMultiAddressIterator* handle, std::uint32_t index);

// Replaces the handle's entry by a copy of entry and, with option 1, its texts. Results as
// nlmadget's.
std::int32_t SetEntry(NlMultiAddressIterator* handle, const NlnvBinding* entry);
void ClearEntry(NlMultiAddressIterator* handle);

// The next entry. Results as nlmadget's.
std::int32_t NextEntry(NlMultiAddressIterator* handle);

}  // namespace kelnl::address

#endif
