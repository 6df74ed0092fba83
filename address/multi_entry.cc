// The entry a multiple-address iterator hands out: a copy, and with option 1 its texts.
#include "address/multi_address.h"
#include "platform/core/allocator.h"

namespace kelnl::address {

namespace {

// The binding written out as text in a block of its own; null when memory runs out.
char* TextOf(const NlnvBinding* binding) {
  std::size_t size = 0;
  if (nlnvszs(binding, &size) != 0) return nullptr;
  char* text = static_cast<char*>(Allocate(size + 1));
  if (text == nullptr) return nullptr;
  std::size_t length = 0;
  nlnvcrs(binding, text, size + 1, &length);
  return text;
}

NlnvBinding* Find(NlnvBinding* binding, std::string_view path) {
  NlnvBinding* found = nullptr;
  if (nlnvfbp(binding, path.data(), path.size(), &found, nullptr) != 0) return nullptr;
  return found;
}

// The entry itself when it is an address, else the first address of its description.
NlnvBinding* FirstAddress(NlnvBinding* entry) {
  if (NlnvBinding* address = Find(entry, "ADDRESS")) return address;
  if (NlnvBinding* address = Find(entry, "DESCRIPTION/ADDRESS")) return address;
  NlnvBinding* list = Find(entry, "DESCRIPTION/ADDRESS_LIST");
  NlnvBinding* address = nullptr;
  if (list != nullptr) nlnvgin(list, 1, &address);
  return address;
}

std::int32_t WriteTexts(NlMultiAddressIterator* handle) {
  handle->entry_text = TextOf(handle->entry);
  if (handle->entry_text == nullptr) return NLMAD_GET_NO_MEMORY;
  NlnvBinding* address = FirstAddress(handle->entry);
  if (address == nullptr) return NLMAD_GET_OK;
  handle->address_text = TextOf(address);
  if (handle->address_text == nullptr) return NLMAD_GET_NO_MEMORY;
  static constexpr char kProtocolPath[] = "ADDRESS/PROTOCOL";
  std::size_t length = 0;
  nlnvgap(address, kProtocolPath, sizeof kProtocolPath - 1, &handle->protocol, &length, nullptr);
  return NLMAD_GET_OK;
}

}  // namespace

void ClearEntry(NlMultiAddressIterator* handle) {
  nlnvdeb(handle->entry);
  handle->entry = nullptr;
  Release(handle->entry_text);
  handle->entry_text = nullptr;
  Release(handle->address_text);
  handle->address_text = nullptr;
  handle->protocol = nullptr;
}

std::int32_t SetEntry(NlMultiAddressIterator* handle, const NlnvBinding* entry) {
  ClearEntry(handle);
  if (nlnvcpb(entry, &handle->entry) != 0) return NLMAD_GET_NO_MEMORY;
  if ((handle->options & NLMAD_OPTION_TEXTS) == 0) return NLMAD_GET_OK;
  const std::int32_t result = WriteTexts(handle);
  // Half an entry would mislead a caller reading the texts: all or nothing.
  if (result != NLMAD_GET_OK) ClearEntry(handle);
  return result;
}

}  // namespace kelnl::address
