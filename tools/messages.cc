#include "tools/messages.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace kelnl::tool {
namespace {

constexpr std::int32_t kTraceFacility = 37;

}  // namespace

Messages::Messages() {
  NlPrimaryErrorRecord record{};
  char text[64];
  std::size_t length = 0;
  if (nleminz(&record, &facility_, 1, text, sizeof text, &length) != 0) {
    std::fprintf(stderr, "kelnl: cannot start the message facility: %.*s\n", static_cast<int>(length), text);
    nlemdestroy(&record, &facility_);
    return;
  }
  nlemfireg(&record, facility_, kTraceFacility, "NETWORK", 7, "NLT", 3);
}

Messages::~Messages() {
  NlPrimaryErrorRecord record{};
  if (facility_ != nullptr) nlemdestroy(&record, &facility_);
}

std::string Messages::Text(std::int32_t facility_number, std::uint32_t error, bool with_prefix) const {
  NlPrimaryErrorRecord record{};
  char text[1024];
  std::size_t length = 0;
  if (facility_ == nullptr ||
      nlemgmz(&record, facility_, facility_number, error, 0, 0, 0, with_prefix ? 1 : 0, text, sizeof text,
              &length) != 0) {
    return "";
  }
  return std::string(text, length);
}

// A message the file lacks reads "<product>/<facility> message <number>: ..." after its prefix.
bool Messages::Known(std::int32_t facility_number, std::uint32_t error) const {
  NlPrimaryErrorRecord record{};
  char product[32], name[16];
  std::size_t product_length = 0, name_length = 0;
  if (facility_ == nullptr || nlemgpf(&record, facility_, facility_number, product, sizeof product, &product_length,
                                      name, sizeof name, &name_length) != 0) {
    return false;
  }
  const std::string placeholder = std::string(product, product_length) + "/" + std::string(name, name_length) +
                                  " message " + std::to_string(error) + ":";
  return Text(facility_number, error).find(placeholder) == std::string::npos;
}

std::int32_t FacilityOfPrefix(const std::string& prefix) {
  std::string upper;
  for (char c : prefix) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "NL") return 1;
  if (upper == "SNL") return 3;
  if (upper == "KEL") return 22;
  if (upper == "NLT") return kTraceFacility;
  return -1;
}

}  // namespace kelnl::tool
