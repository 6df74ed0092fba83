#include <netdb.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

// The reentrant lookups need caller storage; one block per thread gives the same lifetime as
// the per-thread storage of the Windows sockets library: valid until the thread's next lookup.
struct LookupStorage {
  hostent host;
  servent service;
  char buffer[16384];
};
thread_local LookupStorage t_storage;

void ViewHost(hostent* host, HostEntry* entry) {
  *entry = HostEntry{host->h_name, host->h_aliases, host->h_addrtype, host->h_length, host->h_addr_list, host};
}

void ViewService(servent* service, ServiceEntry* entry) {
  *entry = ServiceEntry{service->s_name, service->s_aliases, service->s_port, service->s_proto, service};
}

}  // namespace

bool LookupHostByName(const char* name, HostEntry* entry, int* error) {
  hostent* result = nullptr;
  int lookup_error = 0;
  const int status = gethostbyname_r(name, &t_storage.host, t_storage.buffer, sizeof t_storage.buffer,
                                     &result, &lookup_error);
  if (status != 0 || result == nullptr) {
    *error = lookup_error != 0 ? lookup_error : status;
    return false;
  }
  ViewHost(result, entry);
  return true;
}

bool LookupHostByAddress(const void* address, int length, int type, HostEntry* entry, int* error) {
  hostent* result = nullptr;
  int lookup_error = 0;
  const int status = gethostbyaddr_r(address, static_cast<socklen_t>(length), type, &t_storage.host,
                                     t_storage.buffer, sizeof t_storage.buffer, &result, &lookup_error);
  if (status != 0 || result == nullptr) {
    *error = lookup_error != 0 ? lookup_error : status;
    return false;
  }
  ViewHost(result, entry);
  return true;
}

bool LookupServiceByName(const char* service, const char* protocol, ServiceEntry* entry) {
  servent* result = nullptr;
  if (getservbyname_r(service, protocol, &t_storage.service, t_storage.buffer, sizeof t_storage.buffer,
                      &result) != 0 || result == nullptr) {
    return false;
  }
  ViewService(result, entry);
  return true;
}

bool LookupServiceByPort(int port, const char* protocol, ServiceEntry* entry) {
  servent* result = nullptr;
  if (getservbyport_r(port, protocol, &t_storage.service, t_storage.buffer, sizeof t_storage.buffer,
                      &result) != 0 || result == nullptr) {
    return false;
  }
  ViewService(result, entry);
  return true;
}

bool LocalHostName(char* buffer, std::size_t size) {
  if (gethostname(buffer, size) != 0) return false;
  // POSIX leaves a cut name unterminated; a name that filled the buffer did not fit.
  return std::memchr(buffer, '\0', size) != nullptr;
}

}  // namespace kelnl::os
