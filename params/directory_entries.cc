// Entries and attribute values as the converters read them, and the order of ordered values.
#include <cstring>

#include "params/directory_session.h"
#include "platform/core/allocator.h"

namespace kelnl::params {
namespace {

// The position before the colon of an ordered value; -1 when the value has no such prefix.
long PositionOf(const char* value, const char** text) {
  const char* colon = std::strchr(value, ':');
  if (colon == nullptr || colon == value || colon - value > 9) return -1;
  long position = 0;
  for (const char* c = value; c < colon; ++c) {
    if (*c < '0' || *c > '9') return -1;
    position = position * 10 + (*c - '0');
  }
  *text = colon + 1;
  return position;
}

}  // namespace

std::int32_t ReadEntry(NlolEntry* entry, const char* name, const char* object_class, const AttributeTable& table,
                       char* name_buffer) {
  std::uint32_t length = 0;
  return dir::DirectoryReadEntry(entry->directory, name, object_class, table.attributes, 0, &entry->result,
                                 name_buffer, kEntryNameSize, &length);
}

std::int32_t LookUpServiceEntry(NlolEntry* entry, const char* name, const AttributeTable& table,
                                char* name_buffer) {
  std::uint32_t length = 0;
  return dir::NameLookupReadEntry(entry->directory, name, nullptr, table.attributes, 0, &entry->result,
                                  name_buffer, kEntryNameSize, &length);
}

void ReleaseEntry(NlolEntry* entry) {
  if (entry->result != nullptr) dir::DirectoryReleaseResult(entry->directory, &entry->result);
}

std::int32_t EntryOutcome(std::int32_t read) {
  if (read == dir::kDirectoryNoMemory) return NLOL_NO_MEMORY;
  return read == 0 ? NLOL_OK : NLOL_FAILED;
}

std::int32_t GetValues(NlolEntry* entry, const char* attribute, char*** values) {
  *values = nullptr;
  const std::int32_t result = dir::DirectoryGetValues(entry->directory, entry->result, attribute, values);
  if (result == dir::kDirectoryNoSuchAttribute) {
    *values = nullptr;
    return NLOL_OK;
  }
  if (result == dir::kDirectoryNoMemory) return NLOL_NO_MEMORY;
  return result == 0 ? NLOL_OK : NLOL_FAILED;
}

std::int32_t OrderValues(char* const* values, char*** ordered) {
  std::size_t count = 0;
  while (values[count] != nullptr) ++count;
  *ordered = static_cast<char**>(AllocateZeroed(count + 1, sizeof(char*)));
  if (*ordered == nullptr) return NLOL_NO_MEMORY;
  if (count == 1 && std::strchr(values[0], ':') == nullptr) {
    (*ordered)[0] = values[0];
    return NLOL_OK;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const char* text = nullptr;
    const long position = PositionOf(values[i], &text);
    // A position out of range or given twice leaves a gap: the order cannot be known.
    if (position < 0 || static_cast<std::size_t>(position) >= count || (*ordered)[position] != nullptr) {
      Release(*ordered);
      *ordered = nullptr;
      return NLOL_FAILED;
    }
    (*ordered)[position] = const_cast<char*>(text);
  }
  return NLOL_OK;
}

std::int32_t CompleteEntryName(const char* name, const char* referrer, DirectoryText* complete) {
  complete->Append(name);
  if (std::strchr(name, '=') != nullptr && std::strchr(name, ',') == nullptr) {
    complete->Append(",").Append(referrer);
  }
  return complete->failed() ? NLOL_NO_MEMORY : NLOL_OK;
}

}  // namespace kelnl::params
