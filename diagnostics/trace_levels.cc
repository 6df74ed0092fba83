// Level names and numbers.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "diagnostics/stream_report.h"
#include "kelnl/nldt.h"

namespace {

struct LevelName {
  std::string_view name;
  std::uint32_t level;
};

// Searched in this order; ascending levels, so the last entry not above a level names it.
constexpr LevelName kLevelNames[] = {
    {"off", 0}, {"err", 2}, {"user", 4}, {"admin", 6}, {"analysis", 9}, {"port", 12}, {"dev", 15}, {"support", 16},
};

bool EqualIgnoringCase(std::string_view name, const char* text) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != name[i]) return false;
  }
  return true;
}

}  // namespace

extern "C" uint32_t nldtstr2lv(NlPrimaryErrorRecord* errors, const char* text, uint32_t length) {
  if (text != nullptr) {
    for (const LevelName& entry : kLevelNames) {
      if (entry.name.size() == length && EqualIgnoringCase(entry.name, text)) return entry.level;
    }
    if ((length == 1 || length == 2) && std::isdigit(static_cast<unsigned char>(text[0])) != 0) {
      // The text need not be terminated: convert a terminated copy. Like atoi, a second
      // character that is not a digit ends the number ("5x" is 5).
      char digits[3] = {text[0], length == 2 ? text[1] : '\0', '\0'};
      const auto value = static_cast<std::uint32_t>(std::atoi(digits));
      return value > NLDT_LEVEL_MAXIMUM ? NLDT_LEVEL_MAXIMUM : value;
    }
  }
  kelnl::diagnostics::Fail(errors, NLE_TRACE_BAD_LEVEL);
  return 0;
}

extern "C" void nldtlv2str(NlPrimaryErrorRecord* errors, uint32_t level, const char** name_slot,
                           uint32_t* length_slot) {
  if (errors != nullptr) std::memset(errors, 0, sizeof *errors);
  const LevelName* found = &kLevelNames[0];
  for (const LevelName& entry : kLevelNames) {
    if (entry.level <= level) found = &entry;
  }
  if (name_slot != nullptr) *name_slot = found->name.data();
  if (length_slot != nullptr) *length_slot = static_cast<std::uint32_t>(found->name.size());
}
