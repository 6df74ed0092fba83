// The entries of an LDIF file held in memory, with an index by comparison key so that reading an
// entry is a binary search rather than a scan of the file.
#ifndef KELNL_PLATFORM_DIR_ENTRY_STORE_H
#define KELNL_PLATFORM_DIR_ENTRY_STORE_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/dir/arena.h"
#include "platform/dir/growable_array.h"

namespace kelnl::dir {

struct StoredAttribute {
  const char* type;  // as first written in the file
  char** values;     // null-terminated, in file order
};

struct StoredEntry {
  const char* name;  // the name as written (after base64 decoding)
  const char* key;   // NormalizeName of name
  std::size_t key_length;
  StoredAttribute* attributes;
  std::uint32_t attribute_count;
  std::uint32_t line;  // where the entry starts in the file, for reports
};

class EntryStore {
 public:
  // Everything an entry points to is carved from here and lives as long as the store.
  Arena& arena() { return arena_; }

  // False when memory runs out.
  bool Add(StoredEntry* entry) { return entries_.Append(entry); }
  // Sorts the index once all entries are in. A name given twice is refused (a directory holds one
  // entry per name): false with *duplicate set to the second entry of that name.
  bool BuildIndex(const StoredEntry** duplicate);

  // The entry with this comparison key, or null.
  const StoredEntry* Find(std::string_view key) const;
  std::size_t size() const { return entries_.size(); }
  const StoredEntry* entry(std::size_t index) const { return entries_[index]; }

 private:
  Arena arena_;
  GrowableArray<StoredEntry*> entries_;
};

// The attribute of the entry with this type (ignoring case), or null.
const StoredAttribute* FindAttribute(const StoredEntry& entry, std::string_view type);

}  // namespace kelnl::dir

#endif
