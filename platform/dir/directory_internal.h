// The records behind the opaque Directory and DirectoryResult, shared by the calls and the two
// backends.
#ifndef KELNL_PLATFORM_DIR_DIRECTORY_INTERNAL_H
#define KELNL_PLATFORM_DIR_DIRECTORY_INTERNAL_H

#include <cstdint>

#include "platform/dir/arena.h"
#include "platform/dir/directory.h"
#include "platform/dir/entry_store.h"
#include "platform/os/directory_server.h"

namespace kelnl::dir {

struct ResultAttribute {
  const char* type;
  char** values;  // null-terminated
  ResultAttribute* next;
};

struct DirectoryResult {
  // The attribute records, and for a server the values themselves: usually a few hundred bytes.
  Arena arena{1024};
  const char* name = nullptr;
  ResultAttribute* first = nullptr;
  ResultAttribute** tail = &first;
  // The directory's list of results still held, so that closing it releases them all.
  Directory* owner = nullptr;
  DirectoryResult* previous = nullptr;
  DirectoryResult* next = nullptr;

  // Appends an attribute whose values live at least as long as the result. False: no memory.
  bool AddAttribute(const char* type, char** values);
};

enum class Backend { kLdif, kLdap };

struct Directory {
  Backend backend = Backend::kLdif;
  EntryStore* store = nullptr;             // ldif
  os::DirectoryServer* server = nullptr;   // ldap
  char* service_base = nullptr;
  DirectoryResult* held = nullptr;
};

// The LDIF backend.
std::int32_t OpenLdifStore(const char* file, EntryStore** store, std::uint32_t* fault_line);
void CloseLdifStore(EntryStore** store);
std::int32_t ReadLdifEntry(const EntryStore& store, const char* entry_name, const char* object_class,
                           const char* const* attributes, DirectoryResult* result);

// The LDAP backend.
std::int32_t ConnectLdap(const DirectorySettings& settings, os::DirectoryServer** server);
std::int32_t ReadLdapEntry(os::DirectoryServer* server, const char* entry_name, const char* object_class,
                           const char* const* attributes, DirectoryResult* result);

// True for the end of an attribute table: a null or an empty name.
inline bool EndOfTable(const char* attribute) { return attribute == nullptr || attribute[0] == '\0'; }

}  // namespace kelnl::dir

#endif
