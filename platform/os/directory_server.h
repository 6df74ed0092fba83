// The client of a directory server (LDAP), part of the operating-system layer because each
// platform has its own client library: OpenLDAP's libldap on POSIX, the system's wldap32 on
// Windows. The directory naming library (platform/dir) is its one user.
#ifndef KELNL_PLATFORM_OS_DIRECTORY_SERVER_H
#define KELNL_PLATFORM_OS_DIRECTORY_SERVER_H

#include <cstddef>
#include <string_view>

namespace kelnl::os {

struct DirectoryServer;  // a bound connection

enum class ServerResult {
  kOk,
  kNotFound,     // no such entry, or the entry does not match the filter
  kUnreachable,  // no connection, or no answer within the time limit
  kBindRefused,  // the server answered but refused the credentials
  kFailed,       // a URI the client cannot use, or any other failure the server reports
  kNoMemory,     // the sink or the backend ran out of memory
};

// Receives the entry a read finds: its name first, then each attribute with its values in the
// order the server gives them. Each call returns false when memory runs out.
class DirectoryEntrySink {
 public:
  virtual bool Name(std::string_view name) = 0;
  virtual bool Attribute(std::string_view type, std::size_t value_count) = 0;
  virtual bool Value(std::size_t index, std::string_view value) = 0;

 protected:
  ~DirectoryEntrySink() = default;
};

// Connects to uri (ldap://host:port/) and binds with a simple bind (an empty bind_dn binds
// anonymously). Every network wait is bounded by timeout_seconds. *server is null on failure.
ServerResult ConnectDirectoryServer(const char* uri, const char* bind_dn, const char* password,
                                    int timeout_seconds, DirectoryServer** server);
// Unbinds and releases; nulls *server. A null is ignored.
void DisconnectDirectoryServer(DirectoryServer** server);

// A base-scope search of entry_name with filter, returning the attributes named in the
// null-terminated list attributes (null: every user attribute) to sink.
ServerResult ReadDirectoryServerEntry(DirectoryServer* server, const char* entry_name, const char* filter,
                                      const char* const* attributes, int timeout_seconds,
                                      DirectoryEntrySink* sink);

}  // namespace kelnl::os

#endif
