// lncupwe: the core services' password encoding. It hides a password from casual reading in
// files and traces; it is obfuscation with a key compiled into the product, not security.
//
// Method 3: the password's length byte and bytes are padded to whole blocks with bytes drawn
// from the key, each block is mixed with a key stream and chained to the block before it, and
// the result is written as upper-case hexadecimal, two characters per byte.
#include <cstdint>
#include <cstring>

#include "platform/core/core.h"

namespace {

constexpr std::int32_t kMethod = 3;
constexpr std::size_t kLongestPassword = 255;
constexpr std::size_t kLargestBlock = 64;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// A 32-bit xorshift generator seeded from the key text (FNV-1a of its bytes).
class KeyStream {
 public:
  explicit KeyStream(const char* key) {
    std::uint32_t seed = 2166136261u;
    for (const char* p = key; *p != '\0'; ++p) seed = (seed ^ static_cast<unsigned char>(*p)) * 16777619u;
    state_ = seed == 0 ? 0x9E3779B9u : seed;
  }
  std::uint8_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<std::uint8_t>(state_ >> 24);
  }

 private:
  std::uint32_t state_;
};

}  // namespace

extern "C" std::int32_t lncupwe(std::uint32_t* out_length, std::int32_t block_size, const char* password, char* out,
                                const char* key, std::int32_t method, std::int32_t flags) {
  if (out_length == nullptr || password == nullptr || out == nullptr || key == nullptr || *key == '\0') return 0;
  if (method != kMethod || flags != 0 || block_size <= 0 || static_cast<std::size_t>(block_size) > kLargestBlock) {
    return 0;
  }
  const std::size_t length = std::strlen(password);
  const auto block = static_cast<std::size_t>(block_size);
  const std::size_t padded = (length + 1 + block - 1) / block * block;
  if (length > kLongestPassword || padded * 2 + 1 > *out_length) return 0;

  KeyStream stream(key);
  std::uint8_t previous[kLargestBlock] = {};
  for (std::size_t start = 0; start < padded; start += block) {
    for (std::size_t i = 0; i < block; ++i) {
      const std::size_t at = start + i;
      const std::uint8_t plain = at == 0 ? static_cast<std::uint8_t>(length)
                                 : at <= length ? static_cast<std::uint8_t>(password[at - 1])
                                                : static_cast<std::uint8_t>(key[at % std::strlen(key)]);
      const std::uint8_t mixed = static_cast<std::uint8_t>(plain ^ stream.Next() ^ previous[i]);
      previous[i] = mixed;
      out[2 * at] = kHexDigits[mixed >> 4];
      out[2 * at + 1] = kHexDigits[mixed & 0xF];
    }
  }
  out[padded * 2] = '\0';
  *out_length = static_cast<std::uint32_t>(padded * 2);
  return static_cast<std::int32_t>(padded * 2);
}
