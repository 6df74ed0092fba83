#include "address/list_flags.h"

#include <cstdio>

namespace kelnl::address {

namespace {

enum class Switch { kOn, kOff, kOther };

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

Switch SwitchOf(std::string_view value) {
  for (std::string_view on : {"on", "yes", "true"}) {
    if (EqualsIgnoringCase(value, on)) return Switch::kOn;
  }
  for (std::string_view off : {"off", "no", "false"}) {
    if (EqualsIgnoringCase(value, off)) return Switch::kOff;
  }
  return Switch::kOther;
}

// The path "name/keyword" from the node. Structural names are keywords of at most 16 characters,
// so the buffer always suffices.
struct ParameterPath {
  char text[64];
  std::size_t length;
};

ParameterPath PathOf(std::string_view name, const char* keyword) {
  ParameterPath path{};
  const int written = std::snprintf(path.text, sizeof path.text, "%.*s/%s", static_cast<int>(name.size()),
                                    name.data(), keyword);
  path.length = written < 0 ? 0 : static_cast<std::size_t>(written);
  return path;
}

// A parameter that is missing, or a list where an atom belongs, counts as not given.
Switch ParameterSwitch(NlAddressNode* node, std::string_view name, const char* keyword) {
  const ParameterPath path = PathOf(name, keyword);
  NlnvBinding* found = nullptr;
  if (nlnvfbp(node->binding, path.text, path.length, &found, nullptr) != 0) return Switch::kOther;
  const char* text = nullptr;
  std::size_t length = 0;
  if (nlnvgta(found, &text, &length) != 0) return Switch::kOther;
  return SwitchOf({text, length});
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::int32_t DecimalValue(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  const std::int64_t limit = negative ? std::int64_t{INT32_MAX} + 1 : INT32_MAX;
  std::int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value >= limit) {
      value = limit;
      break;
    }
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

void ComputeListFlags(NlAddressNode* node, std::string_view name, std::uint16_t options) {
  node->flags = kFailover;
  if (node->kind == kDescriptionList && (options & NLAD_OPTION_LIST_IN_ORDER) == 0) node->flags |= kLoadBalance;
  node->hop = 1;
  if (ParameterSwitch(node, name, "SOURCE_ROUTE") == Switch::kOn) {
    // A route is walked hop by hop: failover and load balancing have no place in it.
    node->flags = kSourceRoute;
    const ParameterPath path = PathOf(name, "HOP_COUNT");
    const char* text = nullptr;
    std::size_t length = 0;
    if (nlnvgap(node->binding, path.text, path.length, &text, &length, nullptr) == 0) {
      node->hop = static_cast<std::int16_t>(DecimalValue(text));
    }
  } else {
    if (ParameterSwitch(node, name, "FAILOVER") == Switch::kOff) node->flags &= ~kFailover;
    switch (ParameterSwitch(node, name, "LOAD_BALANCE")) {
      case Switch::kOn: node->flags |= kLoadBalance; break;
      case Switch::kOff: node->flags &= ~kLoadBalance; break;
      case Switch::kOther: break;
    }
  }
  // An intermediate hop forwards to the member after its own.
  if ((options & NLAD_OPTION_NEXT_HOP) != 0) node->hop = static_cast<std::int16_t>(node->hop + 1);
}

}  // namespace kelnl::address
