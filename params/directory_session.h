// What the directory converters share: the open directory, the entries read from it, the
// directory-access parameters of ldap.kel, entry names, ordered values and trace records.
#ifndef KELNL_PARAMS_DIRECTORY_SESSION_H
#define KELNL_PARAMS_DIRECTORY_SESSION_H

#include <cstdint>

#include "kelnl/nlol.h"
#include "params/directory_tables.h"
#include "params/directory_text.h"
#include "platform/dir/directory.h"

struct NlolEntry {
  kelnl::dir::Directory* directory;
  kelnl::dir::DirectoryResult* result;
};

namespace kelnl::params {

// Entry names as the directory reports them are cut to this size, terminator included.
inline constexpr std::uint32_t kEntryNameSize = 512;
// Address and description entries may refer to each other; a chain deeper than this is taken
// for a loop in the directory and fails instead of recursing without end.
inline constexpr int kAddressDepthLimit = 16;

// Copies a directory-access parameter (element 1) into buffer, terminated. False when it is
// absent or does not fit.
bool GetDirectoryParameter(NlGlobalContext* context, const char* name, char* buffer, std::uint32_t size);

// Opens the directory ldap.kel names. NLOL_OK, NLOL_FAILED or NLOL_NO_MEMORY.
std::int32_t OpenConfiguredDirectory(NlGlobalContext* context, dir::Directory** directory);

// A plain name holds no '.', '=' or '@' and is completed into an entry name.
bool IsPlainName(const char* name);
// "cn=" + name + ",cn=" + homeid + "," + systemname_in_dir. NLOL_FAILED when either parameter
// is missing.
std::int32_t BuildEntryName(NlGlobalContext* context, const char* name, DirectoryText* entry_name);

// Reads an entry into *entry (whose directory is already set); the raw directory code.
std::int32_t ReadEntry(NlolEntry* entry, const char* name, const char* object_class, const AttributeTable& table,
                       char* name_buffer);
// The net service name lookup, otherwise as ReadEntry.
std::int32_t LookUpServiceEntry(NlolEntry* entry, const char* name, const AttributeTable& table,
                                char* name_buffer);
void ReleaseEntry(NlolEntry* entry);
// NLOL_OK for a read entry, NLOL_NO_MEMORY when the directory ran out of memory, else NLOL_FAILED.
std::int32_t EntryOutcome(std::int32_t read);

// The values of an attribute: NLOL_OK with *values set, NLOL_OK with *values null when the entry
// lacks the attribute, NLOL_FAILED for any other directory result.
std::int32_t GetValues(NlolEntry* entry, const char* attribute, char*** values);

// The texts of ordered values in their order: a single value without a colon is taken whole;
// otherwise every value is "position:text" and each position from 0 to count - 1 appears once.
// *ordered receives a null-terminated array pointing into values (release it with Release).
std::int32_t OrderValues(char* const* values, char*** ordered);

// The name a reference of an entry names: one with '=' and no ',' is relative to the entry
// referring to it and is completed with "," + referrer.
std::int32_t CompleteEntryName(const char* name, const char* referrer, DirectoryText* complete);

// What AppendAddressText met at its own level.
struct AddressListing {
  int entries = 0;
  bool descriptions = false;  // a description or description list among them
};
// Appends the address text of the entries that the ordered values name (relative to the entry
// referrer) to text. depth counts the entries above; NLOL_* result.
std::int32_t AppendAddressText(dir::Directory* directory, char* const* values, const char* referrer,
                               DirectoryText* text, int depth = 0, AddressListing* listing = nullptr);
// The address text of the entries the ordered values name, as one parenthesised value: a new
// block in *value (release with Release).
std::int32_t BuildAddressValue(dir::Directory* directory, char* const* values, const char* referrer,
                               char** value);

}  // namespace kelnl::params

#endif
