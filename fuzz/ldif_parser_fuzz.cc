// Any text read as an LDIF file: no crash, leak or sanitizer report; a refusal names a line of
// the text; every entry loaded is found again under its own name and has values.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/dir/directory.h"
#include "platform/dir/entry_store.h"
#include "platform/dir/ldif_parser.h"
#include "platform/dir/names.h"

namespace {

std::string Key(std::string_view name) {
  std::string key(name.size(), '\0');
  key.resize(kelnl::dir::NormalizeName(name, key.data()));
  return key;
}

void CheckEntry(const kelnl::dir::EntryStore& store, const kelnl::dir::StoredEntry& entry) {
  const std::string key = Key(entry.name);
  // A key read as a name must give itself back, or a name copied from a result would not find
  // its entry again.
  if (Key(key) != key || store.Find(key) != &entry) std::abort();
  if (entry.attribute_count == 0) std::abort();
  for (std::uint32_t a = 0; a < entry.attribute_count; ++a) {
    if (entry.attributes[a].values == nullptr || entry.attributes[a].values[0] == nullptr) std::abort();
    if (kelnl::dir::FindAttribute(entry, entry.attributes[a].type) != &entry.attributes[a]) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kelnl::dir::EntryStore store;
  std::uint32_t fault_line = 0;
  const std::int32_t code = kelnl::dir::ParseLdif(text, &store, &fault_line);
  if (code == kelnl::dir::kDirectoryMalformedLdif) {
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n';
    if (fault_line == 0 || fault_line > lines) std::abort();
  }
  if (code != 0) return 0;
  for (std::size_t i = 0; i < store.size(); ++i) CheckEntry(store, *store.entry(i));
  return 0;
}
