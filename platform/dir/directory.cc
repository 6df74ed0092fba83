// The directory calls: argument checks, the held-result list and the dispatch to a backend.
#include "platform/dir/directory.h"

#include <cstring>
#include <new>

#include "platform/core/allocator.h"
#include "platform/dir/directory_internal.h"
#include "platform/dir/names.h"

namespace kelnl::dir {

bool DirectoryResult::AddAttribute(const char* type, char** values) {
  auto* attribute = arena.TakeArray<ResultAttribute>(1);
  if (attribute == nullptr) return false;
  *attribute = {type, values, nullptr};
  *tail = attribute;
  tail = &attribute->next;
  return true;
}

namespace {

const char* OrEmpty(const char* text) { return text == nullptr ? "" : text; }

std::int32_t ChooseBackend(const char* name, Backend* backend) {
  const std::string_view text(OrEmpty(name));
  if (text.empty() || SameIgnoringCase(text, "ldif")) {
    *backend = Backend::kLdif;
  } else if (SameIgnoringCase(text, "ldap")) {
    *backend = Backend::kLdap;
  } else {
    return kDirectoryUnknownBackend;
  }
  return 0;
}

void DestroyResult(DirectoryResult* result) {
  result->~DirectoryResult();
  Release(result);
}

void Unlink(DirectoryResult* result) {
  if (result->previous != nullptr) result->previous->next = result->next;
  if (result->next != nullptr) result->next->previous = result->previous;
  if (result->owner->held == result) result->owner->held = result->next;
}

void CopyName(const char* name, char* buffer, std::uint32_t size, std::uint32_t* length) {
  std::size_t copied = 0;
  if (buffer != nullptr && size > 0) {
    copied = std::strlen(name);
    if (copied > size - 1) copied = size - 1;
    std::memcpy(buffer, name, copied);
    buffer[copied] = '\0';
  }
  if (length != nullptr) *length = static_cast<std::uint32_t>(copied);
}

}  // namespace

std::int32_t DirectoryOpenReportingLine(const DirectorySettings& settings, Directory** directory,
                                        std::uint32_t* fault_line) {
  std::uint32_t ignored_line = 0;
  if (fault_line == nullptr) fault_line = &ignored_line;
  *fault_line = 0;
  if (directory == nullptr) return kDirectoryBadArgument;
  *directory = nullptr;
  Backend backend = Backend::kLdif;
  std::int32_t code = ChooseBackend(settings.backend, &backend);
  if (code != 0) return code;

  void* memory = Allocate(sizeof(Directory));
  const std::string_view base(OrEmpty(settings.service_base));
  auto* service_base = static_cast<char*>(Allocate(base.size() + 1));
  if (memory == nullptr || service_base == nullptr) {
    Release(memory);
    Release(service_base);
    return kDirectoryNoMemory;
  }
  std::memcpy(service_base, base.data(), base.size());
  service_base[base.size()] = '\0';
  auto* opened = new (memory) Directory();
  opened->backend = backend;
  opened->service_base = service_base;
  code = backend == Backend::kLdif ? OpenLdifStore(OrEmpty(settings.ldif_file), &opened->store, fault_line)
                                   : ConnectLdap(settings, &opened->server);
  if (code != 0) {
    DirectoryClose(&opened);
    return code;
  }
  *directory = opened;
  return 0;
}

std::int32_t DirectoryOpen(const DirectorySettings& settings, Directory** directory) {
  return DirectoryOpenReportingLine(settings, directory, nullptr);
}

void DirectoryClose(Directory** directory) {
  if (directory == nullptr || *directory == nullptr) return;
  Directory* closing = *directory;
  while (closing->held != nullptr) {
    DirectoryResult* result = closing->held;
    closing->held = result->next;
    DestroyResult(result);
  }
  CloseLdifStore(&closing->store);
  os::DisconnectDirectoryServer(&closing->server);
  Release(closing->service_base);
  closing->~Directory();
  Release(closing);
  *directory = nullptr;
}

std::int32_t DirectoryReadEntry(Directory* directory, const char* entry_name, const char* object_class,
                                const char* const* attributes, std::int32_t /*reserved*/, DirectoryResult** result,
                                char* name_buffer, std::uint32_t name_size, std::uint32_t* name_length) {
  if (result != nullptr) *result = nullptr;
  if (name_length != nullptr) *name_length = 0;
  if (name_buffer != nullptr && name_size > 0) name_buffer[0] = '\0';
  if (directory == nullptr || entry_name == nullptr || result == nullptr) return kDirectoryBadArgument;

  void* memory = Allocate(sizeof(DirectoryResult));
  if (memory == nullptr) return kDirectoryNoMemory;
  auto* read = new (memory) DirectoryResult();
  const std::int32_t code =
      directory->backend == Backend::kLdif
          ? ReadLdifEntry(*directory->store, entry_name, object_class, attributes, read)
          : ReadLdapEntry(directory->server, entry_name, object_class, attributes, read);
  if (code != 0) {
    DestroyResult(read);
    return code;
  }
  CopyName(read->name, name_buffer, name_size, name_length);
  read->owner = directory;
  read->next = directory->held;
  if (directory->held != nullptr) directory->held->previous = read;
  directory->held = read;
  *result = read;
  return 0;
}

std::int32_t DirectoryGetValues(Directory* directory, DirectoryResult* result, const char* attribute,
                                char*** values) {
  if (values != nullptr) *values = nullptr;
  if (directory == nullptr || result == nullptr || attribute == nullptr || values == nullptr) {
    return kDirectoryBadArgument;
  }
  for (ResultAttribute* it = result->first; it != nullptr; it = it->next) {
    if (SameIgnoringCase(it->type, attribute)) {
      *values = it->values;
      return 0;
    }
  }
  return kDirectoryNoSuchAttribute;
}

// The result knows its directory, so a caller passing another (or none) cannot corrupt the list
// of held results.
std::int32_t DirectoryReleaseResult(Directory* /*directory*/, DirectoryResult** result) {
  if (result == nullptr || *result == nullptr) return 0;
  Unlink(*result);
  DestroyResult(*result);
  *result = nullptr;
  return 0;
}

std::int32_t NameLookupReadEntry(Directory* directory, const char* service_name, const char* object_class,
                                 const char* const* attributes, std::int32_t reserved, DirectoryResult** result,
                                 char* name_buffer, std::uint32_t name_size, std::uint32_t* name_length) {
  if (directory == nullptr || service_name == nullptr) {
    return DirectoryReadEntry(directory, service_name, object_class, attributes, reserved, result, name_buffer,
                              name_size, name_length);
  }
  if (std::strchr(service_name, '=') != nullptr) {
    return DirectoryReadEntry(directory, service_name, object_class, attributes, reserved, result, name_buffer,
                              name_size, name_length);
  }
  // "cn=" + name, then "," + the base when there is one: a lookup without a base reads top-level
  // entries.
  const std::size_t name_length_in = std::strlen(service_name);
  const std::size_t base_length = std::strlen(directory->service_base);
  auto* entry_name = static_cast<char*>(Allocate(3 + name_length_in + 1 + base_length + 1));
  if (entry_name == nullptr) {
    if (result != nullptr) *result = nullptr;
    return kDirectoryNoMemory;
  }
  char* out = entry_name;
  std::memcpy(out, "cn=", 3);
  out += 3;
  std::memcpy(out, service_name, name_length_in);
  out += name_length_in;
  if (base_length > 0) {
    *out++ = ',';
    std::memcpy(out, directory->service_base, base_length);
    out += base_length;
  }
  *out = '\0';
  const std::int32_t code = DirectoryReadEntry(directory, entry_name, object_class, attributes, reserved, result,
                                               name_buffer, name_size, name_length);
  Release(entry_name);
  return code;
}

}  // namespace kelnl::dir
