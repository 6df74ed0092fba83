// The directory server client over the system's wldap32.
#include "platform/os/directory_server.h"

#include <winsock2.h>
#include <windows.h>
// winber.h needs the types winldap.h declares.
#include <winldap.h>
#include <winber.h>

#include <cstring>

#include "platform/core/allocator.h"
#include "platform/os/ldap_results.h"

namespace kelnl::os {

struct DirectoryServer {
  LDAP* connection;
};

namespace {

// Some implementations of wldap32 report a failed connection with the Winsock error itself
// (WSAENOTCONN, WSAECONNREFUSED, ...) rather than LDAP_SERVER_DOWN.
bool IsSocketError(ULONG code) { return code >= WSABASEERR && code < WSABASEERR + 2000; }

// Winsock errors are checked first: they mean the server could not be reached.
ServerResult BindResult(ULONG code) {
  return IsSocketError(code) ? ServerResult::kUnreachable : ResultOfBind(static_cast<long>(code));
}

ServerResult SearchResult(ULONG code) {
  return IsSocketError(code) ? ServerResult::kUnreachable : ResultOfSearch(static_cast<long>(code));
}

// The parts of ldap://host:port/ or ldaps://host:port/ that wldap32 takes separately (it has
// no call taking a URI). False for any other scheme.
struct ServerAddress {
  char* host;  // released by the caller
  ULONG port;
  bool secure;
};

// Written without string_view::substr, whose range check would pull exception support (and the
// thread runtime DLL) into kelnl8.dll.
bool ParseUri(const char* uri, ServerAddress* address) {
  std::string_view text(uri);
  address->secure = false;
  if (text.starts_with("ldap://")) {
    text.remove_prefix(7);
    address->port = LDAP_PORT;
  } else if (text.starts_with("ldaps://")) {
    text.remove_prefix(8);
    address->port = LDAP_SSL_PORT;
    address->secure = true;
  } else {
    return false;
  }
  const std::size_t slash = text.find('/');
  if (slash != std::string_view::npos) text.remove_suffix(text.size() - slash);
  const std::size_t colon = text.rfind(':');
  // A colon inside brackets belongs to an IPv6 address, not to the port.
  if (colon != std::string_view::npos && text.find(']', colon) == std::string_view::npos) {
    ULONG port = 0;
    for (std::size_t i = colon + 1; i < text.size(); ++i) {
      const char c = text[i];
      if (c < '0' || c > '9' || port > 65535) return false;
      port = port * 10 + static_cast<ULONG>(c - '0');
    }
    if (port == 0 || port > 65535) return false;
    address->port = port;
    text.remove_suffix(text.size() - colon);
  }
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    text.remove_prefix(1);
    text.remove_suffix(1);
  }
  if (text.empty()) text = "localhost";
  address->host = static_cast<char*>(Allocate(text.size() + 1));
  if (address->host == nullptr) return false;
  std::memcpy(address->host, text.data(), text.size());
  address->host[text.size()] = '\0';
  return true;
}

ServerResult DeliverAttributes(LDAP* connection, LDAPMessage* entry, DirectoryEntrySink* sink) {
  BerElement* position = nullptr;
  ServerResult result = ServerResult::kOk;
  for (char* type = ldap_first_attributeA(connection, entry, &position);
       type != nullptr && result == ServerResult::kOk; type = ldap_next_attributeA(connection, entry, position)) {
    berval** values = ldap_get_values_lenA(connection, entry, type);
    const ULONG count = values == nullptr ? 0 : ldap_count_values_len(values);
    if (!sink->Attribute(type, count)) result = ServerResult::kNoMemory;
    for (ULONG i = 0; i < count && result == ServerResult::kOk; ++i) {
      if (!sink->Value(i, std::string_view(values[i]->bv_val, values[i]->bv_len))) result = ServerResult::kNoMemory;
    }
    if (values != nullptr) ldap_value_free_len(values);
    ldap_memfreeA(type);
  }
  if (position != nullptr) ber_free(position, 0);
  return result;
}

// The synchronous bind of wldap32 has no time limit: a server that takes the connection and
// then never answers would hold the caller forever. The asynchronous bind is waited for instead.
ServerResult BindWithin(LDAP* connection, const char* bind_dn, const char* password, l_timeval* timeout) {
  const ULONG id = ldap_simple_bindA(connection, const_cast<char*>(bind_dn), const_cast<char*>(password));
  if (id == static_cast<ULONG>(-1)) return BindResult(LdapGetLastError());
  LDAPMessage* answer = nullptr;
  const ULONG kind = ldap_result(connection, id, LDAP_MSG_ALL, timeout, &answer);
  if (kind == 0) {
    ldap_abandon(connection, id);
    return ServerResult::kUnreachable;
  }
  if (kind == static_cast<ULONG>(-1)) return BindResult(LdapGetLastError());
  return BindResult(ldap_result2error(connection, answer, 1));
}

}  // namespace

ServerResult ConnectDirectoryServer(const char* uri, const char* bind_dn, const char* password,
                                    int timeout_seconds, DirectoryServer** server) {
  *server = nullptr;
  ServerAddress address{};
  if (!ParseUri(uri, &address)) return ServerResult::kFailed;
  LDAP* connection = ldap_sslinitA(address.host, address.port, address.secure ? 1 : 0);
  Release(address.host);
  if (connection == nullptr) return ServerResult::kFailed;
  ULONG version = LDAP_VERSION3;
  ULONG time_limit = static_cast<ULONG>(timeout_seconds);
  ldap_set_option(connection, LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(connection, LDAP_OPT_TIMELIMIT, &time_limit);
  // Entries are read from the one server configured; chasing referrals would reach others.
  ldap_set_option(connection, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  l_timeval timeout{timeout_seconds, 0};
  // ldap_connect bounds the connection attempt; the bind would otherwise wait as long as TCP does.
  ServerResult result = BindResult(ldap_connect(connection, &timeout));
  if (result == ServerResult::kOk) result = BindWithin(connection, bind_dn, password, &timeout);
  if (result != ServerResult::kOk) {
    ldap_unbind(connection);
    return result;
  }
  auto* bound = static_cast<DirectoryServer*>(Allocate(sizeof(DirectoryServer)));
  if (bound == nullptr) {
    ldap_unbind(connection);
    return ServerResult::kNoMemory;
  }
  bound->connection = connection;
  *server = bound;
  return ServerResult::kOk;
}

void DisconnectDirectoryServer(DirectoryServer** server) {
  if (server == nullptr || *server == nullptr) return;
  ldap_unbind((*server)->connection);
  Release(*server);
  *server = nullptr;
}

ServerResult ReadDirectoryServerEntry(DirectoryServer* server, const char* entry_name, const char* filter,
                                      const char* const* attributes, int timeout_seconds,
                                      DirectoryEntrySink* sink) {
  l_timeval timeout{timeout_seconds, 0};
  LDAPMessage* answer = nullptr;
  const ULONG code = ldap_search_ext_sA(server->connection, const_cast<char*>(entry_name), LDAP_SCOPE_BASE,
                                       const_cast<char*>(filter), const_cast<char**>(attributes), 0, nullptr,
                                       nullptr, &timeout, 1, &answer);
  ServerResult result = SearchResult(code);
  LDAPMessage* entry = result == ServerResult::kOk ? ldap_first_entry(server->connection, answer) : nullptr;
  // A base entry that does not match the filter comes back as a search with no entry.
  if (result == ServerResult::kOk && entry == nullptr) result = ServerResult::kNotFound;
  if (result == ServerResult::kOk) {
    char* name = ldap_get_dnA(server->connection, entry);
    if (name == nullptr) {
      result = ServerResult::kFailed;
    } else {
      if (!sink->Name(name)) result = ServerResult::kNoMemory;
      ldap_memfreeA(name);
    }
  }
  if (result == ServerResult::kOk) result = DeliverAttributes(server->connection, entry, sink);
  if (answer != nullptr) ldap_msgfree(answer);
  return result;
}

}  // namespace kelnl::os
