// Unique identifiers: creation through the platform's service, the 6-2-2-6 text form, hashing.
#include <cstring>

#include "kelnl/nlui.h"
#include "platform/os/os.h"
#include "util/unique_id.h"

namespace {

// Where the three hyphens of the text form stand.
constexpr int kFirstHyphen = 12;
constexpr int kSecondHyphen = 17;
constexpr int kThirdHyphen = 22;

constexpr bool IsHyphenPosition(int position) {
  return position == kFirstHyphen || position == kSecondHyphen || position == kThirdHyphen;
}

uint32_t StatusOf(kelnl::os::GuidResult result) {
  switch (result) {
    case kelnl::os::GuidResult::kOk: return NLUI_STATUS_OK;
    case kelnl::os::GuidResult::kNoMemory: return NLUI_STATUS_NO_MEMORY;
    case kelnl::os::GuidResult::kInvalidArgument: return NLUI_STATUS_INVALID_ARGUMENT;
    case kelnl::os::GuidResult::kServiceFailure: break;
  }
  return NLUI_STATUS_SERVICE_FAILURE;
}

// The value of one hex digit, or -1.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

extern "C" uint32_t nluicrt(NlGlobalContext*, uint8_t* id) {
  if (id == nullptr) return NLUI_STATUS_INVALID_ARGUMENT;
  uint8_t bytes[NLUI_ID_BYTES];
  const uint32_t status = StatusOf(kelnl::os::CreateGuid(bytes));
  if (status != NLUI_STATUS_OK) return status;
  kelnl::util::ClearReservedVariant(bytes);
  std::memcpy(id, bytes, sizeof bytes);
  return NLUI_STATUS_OK;
}

// Two upper-case hex digits for every byte value, so each byte is written in one copy.
constexpr struct HexPairs {
  char digits[256][2];
  constexpr HexPairs() : digits{} {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int value = 0; value < 256; ++value) {
      digits[value][0] = kDigits[value >> 4];
      digits[value][1] = kDigits[value & 0x0F];
    }
  }
} kHexPairs;

extern "C" int32_t nluits(const uint8_t* id, char* text) {
  if (id == nullptr || text == nullptr) return 0;
  int position = 0;
  for (int i = 0; i < NLUI_ID_BYTES; ++i) {
    if (IsHyphenPosition(position)) text[position++] = '-';
    std::memcpy(text + position, kHexPairs.digits[id[i]], 2);
    position += 2;
  }
  text[position] = '\0';
  return NLUI_TEXT_LENGTH;
}

// Each field is exactly two hex digits: a field with a sign or a blank in it does not convert,
// which keeps a parsed identifier's text equal, up to letter case, to the text nluits writes.
extern "C" uint32_t nluifs(const char* text, uint8_t* id) {
  if (text == nullptr || id == nullptr) return NLUI_STATUS_INVALID_ARGUMENT;
  if (std::strlen(text) != NLUI_TEXT_LENGTH) return NLUI_STATUS_INVALID_ARGUMENT;
  uint8_t bytes[NLUI_ID_BYTES];
  int position = 0;
  for (int i = 0; i < NLUI_ID_BYTES; ++i) {
    if (IsHyphenPosition(position) && text[position++] != '-') return NLUI_STATUS_INVALID_ARGUMENT;
    const int high = HexValue(text[position]);
    const int low = HexValue(text[position + 1]);
    if (high < 0 || low < 0) return NLUI_STATUS_INVALID_ARGUMENT;
    bytes[i] = static_cast<uint8_t>(high << 4 | low);
    position += 2;
  }
  std::memcpy(id, bytes, sizeof bytes);
  return NLUI_STATUS_OK;
}

extern "C" uint32_t nluihash(const uint8_t* id) {
  static constexpr int kOrder[] = {6, 7, 0, 1, 2, 3, 4, 5};
  uint32_t hash = 0;
  for (const int i : kOrder) hash = 2 * hash + id[i] + id[i + 8];
  return hash;
}

extern "C" uint32_t nluihkey(const void* id) { return nluihash(static_cast<const uint8_t*>(id)); }

extern "C" int32_t nluiheql(const void* id1, uint32_t, const void* id2) {
  return std::memcmp(id1, id2, NLUI_ID_BYTES) == 0 ? 1 : 0;
}
