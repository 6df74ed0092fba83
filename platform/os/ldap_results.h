// What the directory server's answers mean to the library. Each backend includes this after its
// client library's header: both clients name the protocol's result codes and their own local
// ones (server down, timeout, ...) alike, with the same values.
#pragma once

#include "platform/os/directory_server.h"

namespace kelnl::os {

// The one code the two clients spell differently.
#if defined(LDAP_INSUFFICIENT_ACCESS)
inline constexpr long kLdapInsufficientAccess = LDAP_INSUFFICIENT_ACCESS;
#else
inline constexpr long kLdapInsufficientAccess = LDAP_INSUFFICIENT_RIGHTS;
#endif

// What the client's own codes and success mean, whatever the operation.
inline ServerResult ResultOfAnyOperation(long code) {
  switch (code) {
    case LDAP_SUCCESS:
      return ServerResult::kOk;
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
    case LDAP_TIMEOUT:
      return ServerResult::kUnreachable;
    case LDAP_NO_MEMORY:
      return ServerResult::kNoMemory;
    default:
      return ServerResult::kFailed;
  }
}

inline ServerResult ResultOfBind(long code) {
  switch (code) {
    case LDAP_INVALID_CREDENTIALS:
    case LDAP_INAPPROPRIATE_AUTH:
    case kLdapInsufficientAccess:
    case LDAP_UNWILLING_TO_PERFORM:
    case LDAP_INVALID_DN_SYNTAX:
    case LDAP_STRONG_AUTH_REQUIRED:
    case LDAP_CONFIDENTIALITY_REQUIRED:
      return ServerResult::kBindRefused;
    default:
      return ResultOfAnyOperation(code);
  }
}

inline ServerResult ResultOfSearch(long code) {
  switch (code) {
    // A name the server cannot parse names no entry, as it would in a file of entries.
    case LDAP_NO_SUCH_OBJECT:
    case LDAP_INVALID_DN_SYNTAX:
      return ServerResult::kNotFound;
    default:
      return ResultOfAnyOperation(code);
  }
}

}  // namespace kelnl::os
