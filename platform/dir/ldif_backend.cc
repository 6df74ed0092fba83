// The embedded default: the entries of one LDIF file read into memory when the directory opens.
#include <cstdio>
#include <new>

#include "platform/core/allocator.h"
#include "platform/dir/directory_internal.h"
#include "platform/dir/growable_array.h"
#include "platform/dir/ldif_parser.h"
#include "platform/dir/names.h"

namespace kelnl::dir {

namespace {

// The whole file in one buffer. Result 0, kDirectoryFileUnreadable or kDirectoryNoMemory.
std::int32_t ReadWholeFile(const char* file, GrowableArray<char>* text) {
  std::FILE* stream = std::fopen(file, "rb");
  if (stream == nullptr) return kDirectoryFileUnreadable;
  char chunk[8192];
  std::int32_t code = 0;
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, stream);
    if (!text->AppendAll(chunk, got)) {
      code = kDirectoryNoMemory;
      break;
    }
    if (got < sizeof chunk) {
      if (std::ferror(stream)) code = kDirectoryFileUnreadable;
      break;
    }
  }
  std::fclose(stream);
  return code;
}

bool HasObjectClass(const StoredEntry& entry, std::string_view object_class) {
  const StoredAttribute* classes = FindAttribute(entry, "objectclass");
  if (classes == nullptr) return false;
  for (char** value = classes->values; *value != nullptr; ++value) {
    if (SameIgnoringCase(*value, object_class)) return true;
  }
  return false;
}

}  // namespace

std::int32_t OpenLdifStore(const char* file, EntryStore** store, std::uint32_t* fault_line) {
  *store = nullptr;
  *fault_line = 0;
  GrowableArray<char> text;
  std::int32_t code = ReadWholeFile(file, &text);
  if (code != 0) return code;
  void* memory = Allocate(sizeof(EntryStore));
  if (memory == nullptr) return kDirectoryNoMemory;
  auto* loaded = new (memory) EntryStore();
  code = ParseLdif(std::string_view(text.data(), text.size()), loaded, fault_line);
  if (code != 0) {
    CloseLdifStore(&loaded);  // nothing half-loaded stays behind
    return code;
  }
  *store = loaded;
  return 0;
}

void CloseLdifStore(EntryStore** store) {
  if (*store == nullptr) return;
  (*store)->~EntryStore();
  Release(*store);
  *store = nullptr;
}

std::int32_t ReadLdifEntry(const EntryStore& store, const char* entry_name, const char* object_class,
                           const char* const* attributes, DirectoryResult* result) {
  const std::string_view name(entry_name);
  auto* key = static_cast<char*>(result->arena.Take(name.size() + 1));
  if (key == nullptr) return kDirectoryNoMemory;
  const StoredEntry* entry = store.Find(std::string_view(key, NormalizeName(name, key)));
  if (entry == nullptr) return kDirectoryEntryNotFound;
  if (object_class != nullptr && !HasObjectClass(*entry, object_class)) return kDirectoryEntryNotFound;
  result->name = entry->name;
  // The values stay in the store, which outlives every result of its directory. A null table
  // asks for every attribute, as a server returns every attribute for no list.
  if (attributes == nullptr) {
    for (std::uint32_t i = 0; i < entry->attribute_count; ++i) {
      if (!result->AddAttribute(entry->attributes[i].type, entry->attributes[i].values)) return kDirectoryNoMemory;
    }
    return 0;
  }
  for (const char* const* wanted = attributes; !EndOfTable(*wanted); ++wanted) {
    const StoredAttribute* attribute = FindAttribute(*entry, *wanted);
    if (attribute != nullptr && !result->AddAttribute(attribute->type, attribute->values)) return kDirectoryNoMemory;
  }
  return 0;
}

}  // namespace kelnl::dir
