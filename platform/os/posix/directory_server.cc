// The directory server client over OpenLDAP's libldap.
#include "platform/os/directory_server.h"

#include <ldap.h>
#include <sys/time.h>

#include <cstring>

#include "platform/core/allocator.h"
#include "platform/os/ldap_results.h"

namespace kelnl::os {

struct DirectoryServer {
  LDAP* connection;
};

namespace {

void Unbind(LDAP* connection) { ldap_unbind_ext_s(connection, nullptr, nullptr); }

// Hands every attribute of entry to the sink.
ServerResult DeliverAttributes(LDAP* connection, LDAPMessage* entry, DirectoryEntrySink* sink) {
  BerElement* position = nullptr;
  ServerResult result = ServerResult::kOk;
  for (char* type = ldap_first_attribute(connection, entry, &position);
       type != nullptr && result == ServerResult::kOk; type = ldap_next_attribute(connection, entry, position)) {
    berval** values = ldap_get_values_len(connection, entry, type);
    const int count = values == nullptr ? 0 : ldap_count_values_len(values);
    if (!sink->Attribute(type, static_cast<std::size_t>(count))) result = ServerResult::kNoMemory;
    for (int i = 0; i < count && result == ServerResult::kOk; ++i) {
      if (!sink->Value(static_cast<std::size_t>(i), std::string_view(values[i]->bv_val, values[i]->bv_len))) {
        result = ServerResult::kNoMemory;
      }
    }
    if (values != nullptr) ldap_value_free_len(values);
    ldap_memfree(type);
  }
  if (position != nullptr) ber_free(position, 0);
  return result;
}

}  // namespace

ServerResult ConnectDirectoryServer(const char* uri, const char* bind_dn, const char* password,
                                    int timeout_seconds, DirectoryServer** server) {
  *server = nullptr;
  LDAP* connection = nullptr;
  // ldap_initialize only parses the URI; the connection is made by the bind.
  if (ldap_initialize(&connection, uri) != LDAP_SUCCESS || connection == nullptr) return ServerResult::kFailed;
  const int version = LDAP_VERSION3;
  timeval timeout{timeout_seconds, 0};
  ldap_set_option(connection, LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(connection, LDAP_OPT_NETWORK_TIMEOUT, &timeout);
  ldap_set_option(connection, LDAP_OPT_TIMEOUT, &timeout);
  // Entries are read from the one server configured; chasing referrals would reach others.
  ldap_set_option(connection, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  berval credentials{std::strlen(password), const_cast<char*>(password)};
  const int code = ldap_sasl_bind_s(connection, bind_dn, LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, nullptr);
  const ServerResult result = ResultOfBind(code);
  if (result != ServerResult::kOk) {
    Unbind(connection);
    return result;
  }
  auto* bound = static_cast<DirectoryServer*>(Allocate(sizeof(DirectoryServer)));
  if (bound == nullptr) {
    Unbind(connection);
    return ServerResult::kNoMemory;
  }
  bound->connection = connection;
  *server = bound;
  return ServerResult::kOk;
}

void DisconnectDirectoryServer(DirectoryServer** server) {
  if (server == nullptr || *server == nullptr) return;
  Unbind((*server)->connection);
  Release(*server);
  *server = nullptr;
}

ServerResult ReadDirectoryServerEntry(DirectoryServer* server, const char* entry_name, const char* filter,
                                      const char* const* attributes, int timeout_seconds,
                                      DirectoryEntrySink* sink) {
  timeval timeout{timeout_seconds, 0};
  LDAPMessage* answer = nullptr;
  const int code = ldap_search_ext_s(server->connection, entry_name, LDAP_SCOPE_BASE, filter,
                                     const_cast<char**>(attributes), 0, nullptr, nullptr, &timeout, 1, &answer);
  ServerResult result = ResultOfSearch(code);
  LDAPMessage* entry = result == ServerResult::kOk ? ldap_first_entry(server->connection, answer) : nullptr;
  // A base entry that does not match the filter comes back as a search with no entry.
  if (result == ServerResult::kOk && entry == nullptr) result = ServerResult::kNotFound;
  if (result == ServerResult::kOk) {
    char* name = ldap_get_dn(server->connection, entry);
    if (name == nullptr) {
      result = ServerResult::kFailed;
    } else {
      if (!sink->Name(name)) result = ServerResult::kNoMemory;
      ldap_memfree(name);
    }
  }
  if (result == ServerResult::kOk) result = DeliverAttributes(server->connection, entry, sink);
  if (answer != nullptr) ldap_msgfree(answer);
  return result;
}

}  // namespace kelnl::os
