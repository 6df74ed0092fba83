// Host and service name lookups. They never push errors: results tell the caller.
#include <cstring>

#include "kelnl/snlpc.h"
#include "platform/os/os.h"

namespace {

void CopyHost(const kelnl::os::HostEntry& entry, NlHostRecord* out) {
  if (out == nullptr) return;
  *out = NlHostRecord{entry.name, entry.aliases, static_cast<int16_t>(entry.address_type),
                      static_cast<int16_t>(entry.address_length), entry.addresses};
}

void CopyService(const kelnl::os::ServiceEntry& entry, NlServiceRecord* out) {
  if (out == nullptr) return;
  *out = NlServiceRecord{entry.name, entry.aliases, entry.port, entry.protocol};
}

}  // namespace

extern "C" {

int32_t snlgfqh(char* name, uint32_t length) {
  if (name == nullptr || length == 0) return -1;
  return kelnl::os::LocalHostName(name, length) ? 0 : -1;
}

void* snlpcgthstbynm(NlOsErrorRecord*, const char* host, NlHostRecord* out, void*, void*, int32_t* errout) {
  kelnl::os::HostEntry entry{};
  int error = 0;
  if (host == nullptr || !kelnl::os::LookupHostByName(host, &entry, &error)) {
    if (errout != nullptr) *errout = error;
    return nullptr;
  }
  CopyHost(entry, out);
  return entry.native;
}

void* snlpcgthstbyad(NlOsErrorRecord*, const char* address, int32_t length, int32_t type, NlHostRecord* out,
                     void*, void*, int32_t* errout) {
  kelnl::os::HostEntry entry{};
  int error = 0;
  if (address == nullptr || !kelnl::os::LookupHostByAddress(address, length, type, &entry, &error)) {
    if (errout != nullptr) *errout = error;
    return nullptr;
  }
  CopyHost(entry, out);
  return entry.native;
}

void* snlpcgtsrvbynm(NlOsErrorRecord*, const char* service, const char* protocol, NlServiceRecord* out) {
  kelnl::os::ServiceEntry entry{};
  if (service == nullptr || !kelnl::os::LookupServiceByName(service, protocol, &entry)) return nullptr;
  CopyService(entry, out);
  return entry.native;
}

void* snlpcgtsrvbypt(NlOsErrorRecord*, int32_t port, const char* protocol, NlServiceRecord* out) {
  kelnl::os::ServiceEntry entry{};
  if (!kelnl::os::LookupServiceByPort(port, protocol, &entry)) return nullptr;
  CopyService(entry, out);
  return entry.native;
}

int32_t snlpcgthstent(void) { return 0; }

int32_t snlpcgtsrvent(void) { return 0; }

}  // extern "C"
