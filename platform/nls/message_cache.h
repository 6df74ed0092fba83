// The cache a caller may give an open message file: recently read short texts, so that the
// messages a component prints again and again are not read from the file each time.
// Layout of the caller's buffer: a 12-byte header, then slots of 132 bytes (a number, a length
// and up to 124 characters of text); the largest cache the message facility gives (1068 bytes)
// holds eight slots. Replacement is round-robin.
#ifndef KELNL_PLATFORM_NLS_MESSAGE_CACHE_H
#define KELNL_PLATFORM_NLS_MESSAGE_CACHE_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelnl::nls {

inline constexpr std::size_t kCacheHeaderBytes = 12;
inline constexpr std::size_t kCacheSlotBytes = 132;
inline constexpr std::size_t kCacheTextCapacity = kCacheSlotBytes - 8;

// The cache bytes worth proposing for a file of `messages` messages.
std::size_t CacheSizeFor(std::uint32_t messages);

// Prepares buffer as an empty cache of the slots that fit in size bytes.
void PrepareCache(void* buffer, std::size_t size);
// True when buffer was prepared by PrepareCache.
bool IsPreparedCache(const void* buffer);

// The cached text of number, or false.
bool CacheFind(const void* cache, std::uint32_t number, std::string_view* text);
// Keeps a text of at most kCacheTextCapacity characters; longer ones are not cached.
void CacheStore(void* cache, std::uint32_t number, std::string_view text);

}  // namespace kelnl::nls

#endif
