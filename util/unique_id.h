// Internal helpers of the unique identifiers.
#ifndef KELNL_UTIL_UNIQUE_ID_H
#define KELNL_UTIL_UNIQUE_ID_H

#include <cstdint>

namespace kelnl::util {

// Variant bits 111 are reserved for future definition; identifiers handed out read 110 there
// instead (bit 0x20 of byte 8 cleared), so that every consumer takes them for the platform's
// own kind. Other variants are left as they are.
inline void ClearReservedVariant(std::uint8_t* bytes) {
  if ((bytes[8] & 0xE0) == 0xE0) bytes[8] = static_cast<std::uint8_t>(bytes[8] & ~0x20);
}

}  // namespace kelnl::util

#endif
