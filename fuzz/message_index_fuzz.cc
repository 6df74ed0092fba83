// Message files are text that anyone can edit: indexing any input must stay within it, keep the
// index sorted without duplicates, and find every number it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/nls/message_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kelnl::nls::MessageIndex index{};
  if (!kelnl::nls::BuildMessageIndex(text, &index)) return 0;
  for (std::uint32_t i = 0; i < index.count; ++i) {
    const kelnl::nls::MessageIndexEntry& entry = index.entries[i];
    if (static_cast<std::size_t>(entry.offset) + entry.length > size) std::abort();
    if (i > 0 && index.entries[i - 1].number >= entry.number) std::abort();
    if (kelnl::nls::FindMessage(index, entry.number) != &entry) std::abort();
  }
  kelnl::nls::ReleaseMessageIndex(&index);
  return 0;
}
