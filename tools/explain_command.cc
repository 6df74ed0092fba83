// kelnl explain CODE: the message text of an error code such as NL-00462, NLT-18300 or 462.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/commands.h"
#include "tools/messages.h"

namespace kelnl::tool {
namespace {

// Parses "FAC-NNNNN" or a bare number (facility NL). False for anything else.
bool ParseCode(const std::string& code, std::int32_t* facility, std::uint32_t* number) {
  const std::size_t dash = code.find('-');
  const std::string digits = dash == std::string::npos ? code : code.substr(dash + 1);
  *facility = dash == std::string::npos ? 1 : FacilityOfPrefix(code.substr(0, dash));
  if (*facility < 0 || digits.empty() || digits.size() > 9) return false;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
  }
  *number = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 10));
  return true;
}

}  // namespace

int RunExplain(int argc, char** argv) {
  if (argc != 1) {
    std::fputs("kelnl explain: give one code, such as NL-00462, NLT-18300 or 462\n", stderr);
    return 2;
  }
  std::int32_t facility = 0;
  std::uint32_t number = 0;
  if (!ParseCode(argv[0], &facility, &number)) {
    std::fprintf(stderr, "kelnl explain: '%s' is not a code (NL-nnnnn, SNL-, KEL-, NLT- or a number)\n", argv[0]);
    return 2;
  }
  Messages messages;
  if (!messages.ready()) return 1;
  const std::string text = messages.Text(facility, number);
  if (!messages.Known(facility, number)) {
    std::fprintf(stderr, "%s\nkelnl explain: no message has the code %s\n", text.c_str(), argv[0]);
    return 1;
  }
  std::printf("%s\n", text.c_str());
  return 0;
}

}  // namespace kelnl::tool
