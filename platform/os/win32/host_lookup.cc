#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {
namespace {

// The lookups need a started sockets library. The process starts it once and keeps it: the
// entries handed out live in its per-thread storage, so it must not end under a caller.
INIT_ONCE g_sockets_once = INIT_ONCE_STATIC_INIT;
bool g_sockets_ready = false;

BOOL CALLBACK StartSockets(PINIT_ONCE, PVOID, PVOID*) {
  WSADATA data;
  g_sockets_ready = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  return TRUE;
}

bool SocketsReady() {
  InitOnceExecuteOnce(&g_sockets_once, StartSockets, nullptr, nullptr);
  return g_sockets_ready;
}

void ViewHost(hostent* host, HostEntry* entry) {
  *entry = HostEntry{host->h_name, host->h_aliases, host->h_addrtype, host->h_length, host->h_addr_list, host};
}

void ViewService(servent* service, ServiceEntry* entry) {
  *entry = ServiceEntry{service->s_name, service->s_aliases, service->s_port, service->s_proto, service};
}

}  // namespace

bool LookupHostByName(const char* name, HostEntry* entry, int* error) {
  hostent* host = SocketsReady() ? gethostbyname(name) : nullptr;
  if (host == nullptr) {
    *error = WSAGetLastError();
    return false;
  }
  ViewHost(host, entry);
  return true;
}

bool LookupHostByAddress(const void* address, int length, int type, HostEntry* entry, int* error) {
  hostent* host = SocketsReady() ? gethostbyaddr(static_cast<const char*>(address), length, type) : nullptr;
  if (host == nullptr) {
    *error = WSAGetLastError();
    return false;
  }
  ViewHost(host, entry);
  return true;
}

bool LookupServiceByName(const char* service, const char* protocol, ServiceEntry* entry) {
  servent* found = SocketsReady() ? getservbyname(service, protocol) : nullptr;
  if (found == nullptr) return false;
  ViewService(found, entry);
  return true;
}

bool LookupServiceByPort(int port, const char* protocol, ServiceEntry* entry) {
  servent* found = SocketsReady() ? getservbyport(port, protocol) : nullptr;
  if (found == nullptr) return false;
  ViewService(found, entry);
  return true;
}

// The local host name is asked of a sockets library started at version 1.1 for this call only,
// and refused unless exactly that version is granted.
bool LocalHostName(char* buffer, std::size_t size) {
  WSADATA data;
  if (WSAStartup(0x0101, &data) != 0) return false;
  bool ok = LOBYTE(data.wVersion) == 1 && HIBYTE(data.wVersion) == 1 &&
            gethostname(buffer, static_cast<int>(size)) == 0;
  WSACleanup();
  return ok && std::memchr(buffer, '\0', size) != nullptr;
}

}  // namespace kelnl::os
