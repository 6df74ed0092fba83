// The directory naming library: reads entries of a directory service and their attribute values
// for the directory-stored configuration. Two backends behind the same calls: an LDIF file read
// into memory (the embedded default) and a directory server reached over LDAP.
//
// The three directory calls (read an entry, get attribute values, release a result) keep the
// argument order the configuration loader passes them. The name lookup of net service names
// offers the same three shapes. A directory and its results are used by one thread at a time.
#ifndef KELNL_PLATFORM_DIR_DIRECTORY_H
#define KELNL_PLATFORM_DIR_DIRECTORY_H

#include <cstdint>

namespace kelnl::dir {

// Results every caller relies on.
inline constexpr std::int32_t kDirectoryEntryNotFound = 106;
inline constexpr std::int32_t kDirectoryNoSuchAttribute = 110;
// The other results of the calls below.
inline constexpr std::int32_t kDirectoryBadArgument = 101;       // a null or empty text where one is needed
inline constexpr std::int32_t kDirectoryNoMemory = 102;          // memory ran out; nothing kept
inline constexpr std::int32_t kDirectoryFileUnreadable = 103;    // the LDIF file cannot be read
inline constexpr std::int32_t kDirectoryMalformedLdif = 104;     // not LDIF entries; nothing loaded
inline constexpr std::int32_t kDirectoryUnknownBackend = 105;    // backend neither ldif nor ldap
inline constexpr std::int32_t kDirectoryServerUnreachable = 107; // no answer within the time limit
inline constexpr std::int32_t kDirectoryBindRefused = 108;       // the server refused the bind
inline constexpr std::int32_t kDirectoryServerFailed = 109;      // a bad URI or a failed search

// How long a directory server may take to answer a connect, bind or read, in seconds.
inline constexpr int kDirectoryServerTimeoutSeconds = 3;

// How to reach the directory; texts are NUL-terminated and may be null (taken as empty).
struct DirectorySettings {
  const char* backend;       // "ldif" (also when empty) or "ldap", any case
  const char* ldif_file;     // ldif: the file holding the entries
  const char* uri;           // ldap: the server, such as ldap://127.0.0.1:3890
  const char* bind_dn;       // ldap: empty binds anonymously
  const char* password;      // ldap: the bind password
  const char* service_base;  // the entry under which net service names are found (name lookup)
};

struct Directory;        // an open directory: a connection, or the entries of an LDIF file
struct DirectoryResult;  // one entry read, with the attributes asked for

// Opens the directory the settings name: an LDIF file is read whole (entries in memory), a server
// is connected and bound. Result 0, or a non-zero code above with *directory null.
std::int32_t DirectoryOpen(const DirectorySettings& settings, Directory** directory);
// As DirectoryOpen; for kDirectoryMalformedLdif *fault_line receives the 1-based line of the
// LDIF file at fault (0 otherwise).
std::int32_t DirectoryOpenReportingLine(const DirectorySettings& settings, Directory** directory,
                                        std::uint32_t* fault_line);
// Releases the directory and every result still held; nulls *directory. A null is ignored.
void DirectoryClose(Directory** directory);

// Reads the entry named entry_name (a distinguished name, compared as the directory compares
// names: attribute types and values ignoring case, spaces around ',', '+' and '=' ignored).
// With a non-null object_class the entry must carry that class (ignoring case). attributes is a
// table of the attribute names wanted, ending with an empty name or a null; a null table asks for
// every attribute. reserved is 0. Result 0: *result holds the entry (release it, or close the
// directory) and name_buffer its name as the directory knows it (cut to name_size - 1 bytes,
// NUL-terminated, length in *name_length; the buffer may be null with name_size 0). 106: no such
// entry, not of that class, or a name that is no name. Otherwise a code above, *result null.
// The values of an attribute keep the order the file or the server gives them.
std::int32_t DirectoryReadEntry(Directory* directory, const char* entry_name, const char* object_class,
                                const char* const* attributes, std::int32_t reserved, DirectoryResult** result,
                                char* name_buffer, std::uint32_t name_size, std::uint32_t* name_length);
// The values of one attribute of a read entry (names compared ignoring case): *values receives
// a null-terminated array of NUL-terminated texts, owned by the result and valid until it is
// released. 110: the entry has no such attribute (not an error).
std::int32_t DirectoryGetValues(Directory* directory, DirectoryResult* result, const char* attribute,
                                char*** values);
// Releases a result and nulls *result. Result 0.
std::int32_t DirectoryReleaseResult(Directory* directory, DirectoryResult** result);

// The name lookup of net service names: a name without '=' is the entry "cn=" + name + "," +
// the settings' service_base (just "cn=" + name with an empty base); a name with '=' is taken as
// the entry name. Otherwise as
// DirectoryReadEntry; values and release go through the two calls above.
std::int32_t NameLookupReadEntry(Directory* directory, const char* service_name, const char* object_class,
                                 const char* const* attributes, std::int32_t reserved, DirectoryResult** result,
                                 char* name_buffer, std::uint32_t name_size, std::uint32_t* name_length);

}  // namespace kelnl::dir

#endif
