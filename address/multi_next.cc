// nlmadget's walk: a random unused description, then its addresses one by one.
#include "address/list_flags.h"
#include "address/multi_address.h"
#include "kelnl/nlrn.h"

namespace kelnl::address {

namespace {

NlnvBinding* Find(NlnvBinding* binding, std::string_view path) {
  NlnvBinding* found = nullptr;
  if (nlnvfbp(binding, path.data(), path.size(), &found, nullptr) != 0) return nullptr;
  return found;
}

const char* AtomAt(NlnvBinding* binding, std::string_view path) {
  const char* text = nullptr;
  std::size_t length = 0;
  if (nlnvgap(binding, path.data(), path.size(), &text, &length, nullptr) != 0) return nullptr;
  return text;
}

NlnvBinding* Member(NlnvBinding* list, std::int64_t index_from_zero) {
  NlnvBinding* member = nullptr;
  if (index_from_zero < 0 || index_from_zero >= UINT32_MAX) return nullptr;
  nlnvgin(list, static_cast<std::uint32_t>(index_from_zero + 1), &member);
  return member;
}

// Starts from a random description and takes the next unused one from there.
bool ChooseDescription(NlMultiAddressIterator* handle) {
  const auto count = static_cast<std::uint16_t>(handle->description_count);
  if (count == 0) return false;  // an empty list has nothing to choose from
  std::uint16_t random = 0;
  // Without memory for the generator the draw stays 0: every description is still reached.
  nlrngr(handle->context, &random);
  std::uint32_t index = random % count;
  for (std::uint32_t steps = 0; DescriptionUsed(handle, index) && steps < count; ++steps) {
    index = (index + 1) % count;
  }
  if (DescriptionUsed(handle, index)) return false;
  MarkDescriptionUsed(handle, index);
  handle->current_description = static_cast<std::int32_t>(index);
  handle->next_address = -1;
  handle->address_count = -1;
  return true;
}

// A source-routed description goes out whole, or as its next hop when it names its hop.
std::int32_t HandOutRoute(NlMultiAddressIterator* handle, NlnvBinding* description) {
  NlnvBinding* entry = description;
  if (const char* hop = AtomAt(description, "DESCRIPTION/HOP_COUNT")) {
    NlnvBinding* list = Find(description, "DESCRIPTION/ADDRESS_LIST");
    // HOP_COUNT hops are done: the next one is the member after them. A hop that leads nowhere
    // leaves the description whole, as if it named none.
      NlnvBinding* next_hop = list != nullptr ? Member(list, DecimalValue(hop)) : nullptr;
    if (next_hop != nullptr) entry = next_hop;
  }
  handle->current_description = -1;
  handle->next_address = -1;
  return SetEntry(handle, entry);
}

// The description with address in place of its ADDRESS_LIST (appended after its other members).
std::int32_t HandOutNarrowed(NlMultiAddressIterator* handle, NlnvBinding* description, NlnvBinding* address) {
  NlnvBinding* narrowed = nullptr;
  if (nlnvcpb(description, &narrowed) != 0) return NLMAD_GET_NO_MEMORY;
  static constexpr char kListPath[] = "DESCRIPTION/ADDRESS_LIST";
  std::int32_t result = NLMAD_GET_NO_MEMORY;
  if (nlnvibb(address, narrowed) == 0 && nlnvdbp(narrowed, kListPath, sizeof kListPath - 1, nullptr) == 0) {
    result = SetEntry(handle, narrowed);
  }
  nlnvdeb(narrowed);
  return result;
}

}  // namespace

std::int32_t NextEntry(NlMultiAddressIterator* handle) {
  for (;;) {
    const bool finished = handle->next_address != -1 && handle->next_address >= handle->address_count;
    if (handle->current_description == -1 || finished) {
      if (!ChooseDescription(handle)) return NLMAD_GET_NONE_LEFT;
    }
    NlnvBinding* description = Member(handle->list, handle->current_description);
    NlnvBinding* address_list = nullptr;
    if (handle->next_address == -1) {
      if (AtomAt(description, "DESCRIPTION/SOURCE_ROUTE") != nullptr) return HandOutRoute(handle, description);
      if (NlnvBinding* address = Find(description, "DESCRIPTION/ADDRESS")) {
        handle->address_count = 1;
        handle->next_address = 1;
        return SetEntry(handle, handle->form == NLMAD_FORM_ADDRESS ? address : description);
      }
      address_list = Find(description, "DESCRIPTION/ADDRESS_LIST");
      if (address_list == nullptr) return NLMAD_GET_NO_ADDRESS;
      std::uint32_t members = 0;
      nlnvnnv(address_list, &members);
      handle->address_count = static_cast<std::int32_t>(members);
      handle->next_address = 0;
    } else {
      address_list = Find(description, "DESCRIPTION/ADDRESS_LIST");
    }
    // An empty ADDRESS_LIST has nothing to hand out: move on to the next description at once.
    NlnvBinding* address = address_list != nullptr ? Member(address_list, handle->next_address) : nullptr;
    if (address == nullptr) {
      handle->next_address = handle->address_count;
      continue;
    }
    ++handle->next_address;
    if (handle->form == NLMAD_FORM_ADDRESS_LIST) return SetEntry(handle, address);
    return HandOutNarrowed(handle, description, address);
  }
}

}  // namespace kelnl::address
