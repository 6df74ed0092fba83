#include "platform/dir/entry_store.h"

#include <algorithm>

#include "platform/dir/names.h"

namespace kelnl::dir {

namespace {

std::string_view KeyOf(const StoredEntry* entry) { return {entry->key, entry->key_length}; }

}  // namespace

bool EntryStore::BuildIndex(const StoredEntry** duplicate) {
  *duplicate = nullptr;
  StoredEntry** first = entries_.data();
  StoredEntry** last = first + entries_.size();
  // Equal keys in file order, so the duplicate reported is the later one. (std::stable_sort
  // would do it too, but takes its buffer from operator new rather than the library allocator.)
  std::sort(first, last, [](const StoredEntry* a, const StoredEntry* b) {
    const int order = KeyOf(a).compare(KeyOf(b));
    return order < 0 || (order == 0 && a->line < b->line);
  });
  for (StoredEntry** it = first; it != last && it + 1 != last; ++it) {
    if (KeyOf(*it) == KeyOf(*(it + 1))) {
      *duplicate = *(it + 1);
      return false;
    }
  }
  return true;
}

const StoredEntry* EntryStore::Find(std::string_view key) const {
  const StoredEntry* const* first = entries_.data();
  const StoredEntry* const* last = first + entries_.size();
  auto it = std::lower_bound(first, last, key,
                             [](const StoredEntry* entry, std::string_view wanted) { return KeyOf(entry) < wanted; });
  return it != last && KeyOf(*it) == key ? *it : nullptr;
}

const StoredAttribute* FindAttribute(const StoredEntry& entry, std::string_view type) {
  for (std::uint32_t i = 0; i < entry.attribute_count; ++i) {
    if (SameIgnoringCase(entry.attributes[i].type, type)) return &entry.attributes[i];
  }
  return nullptr;
}

}  // namespace kelnl::dir
