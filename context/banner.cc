// The banner: the version line with the date and the notice below it.
#include <cstdint>
#include <cstdio>

#include "kelnl/nlba.h"
#include "kelnl/nlda.h"
#include "kelnl/nlds.h"
#include "platform/os/os.h"

namespace {

// The version line needs this much beside the product name.
constexpr std::size_t kVersionLineExtra = 60;

constexpr const char* kStatusWords[] = {
    "Production", "Developer's Release", "Beta", "Alpha", "Development", "UNKNOWN", "SDK1", "SDK2",
};
constexpr std::uint32_t kLastStatus = sizeof kStatusWords / sizeof kStatusWords[0] - 1;

const char* StatusWord(std::uint32_t status) { return kStatusWords[status < kLastStatus ? status : kLastStatus]; }

}  // namespace

extern "C" void nlbamsg(const char* product, size_t product_length, uint32_t version, uint32_t status,
                        char* buffer, size_t size, size_t* text_length) {
  if (text_length != nullptr) *text_length = 0;
  if (buffer == nullptr || product_length + kVersionLineExtra >= size) return;
  // The product is a counted text: it need not be terminated.
  const int length = std::snprintf(
      buffer, size, "%.*s for %s: Version %u.%u.%u.%u.%u - %s", static_cast<int>(product_length),
      product != nullptr ? product : "", kelnl::os::PlatformName(), (version >> 24) & 0xFFu,
      (version >> 20) & 0xFu, (version >> 12) & 0xFFu, (version >> 8) & 0xFu, version & 0xFFu,
      StatusWord(status));
  if (length > 0 && text_length != nullptr) *text_length = static_cast<std::size_t>(length) < size ? static_cast<std::size_t>(length) : size - 1;
}

namespace {

constexpr std::size_t kBannerBufferBytes = 256;
// A longer year text would not leave the notice room in the banner buffer.
constexpr std::size_t kLongestYearText = 37;
constexpr const char* kNoticeFormat = "\n\nCopyright (c) %.*s, the kelnl developers. All rights reserved.\n\n";

}  // namespace

extern "C" int32_t nlban2(NlGlobalContext* context, NlPrimaryErrorRecord* primary, NlDiagStream* stream,
                          const char* product, size_t product_length, uint32_t version, uint32_t status,
                          const char* year, size_t year_length) {
  // A product name too long for the version line leaves it empty: the banner then starts with
  // " on " and the date.
  char buffer[kBannerBufferBytes] = "";
  std::size_t length = 0;
  nlbamsg(product, product_length, version, status, buffer, sizeof buffer, &length);

  char date[NL_DATE_BUFFER_SIZE];
  std::size_t date_length = 0;
  if (const std::int32_t code = nldatxt(context, date, sizeof date, &date_length)) return code;
  if (const std::int32_t code = nldsfprintf(primary, stream, "\n%s on %s", buffer, date)) return code;

  if (year_length <= kLongestYearText) {
    std::snprintf(buffer, sizeof buffer, kNoticeFormat, static_cast<int>(year_length), year != nullptr ? year : "");
    // Written through "%s" so that a percent sign in the year text prints as itself.
    if (const std::int32_t code = nldsfprintf(primary, stream, "%s", buffer)) return code;
  }
  return nldsflush(primary, stream);
}
