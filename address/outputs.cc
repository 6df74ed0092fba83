// Building the outputs of nladget. The name-value calls here cannot fail for want of anything
// but memory, and nladget has no result for that: a failed call leaves the output without the
// piece, or null when the output itself could not be made.
#include "address/outputs.h"

#include <cstdio>

#include "address/list_flags.h"

namespace kelnl::address {

namespace {

NlnvBinding* Parse(const char* text, std::size_t length) {
  NlnvBinding* binding = nullptr;
  nlnvcrb(text, length, &binding, nullptr);
  return binding;
}

std::string_view NameOf(const NlnvBinding* binding) {
  const char* name = nullptr;
  std::size_t length = 0;
  if (nlnvgtn(binding, &name, &length) != 0) return {};
  return {name, length};
}

// Structural names are keywords of at most 16 characters.
struct ShortText {
  char text[64];
  std::size_t length;
};

template <typename... Arguments>
ShortText Format(const char* format, Arguments... arguments) {
  ShortText result{};
  const int written = std::snprintf(result.text, sizeof result.text, format, arguments...);
  result.length = written < 0 ? 0 : static_cast<std::size_t>(written);
  return result;
}

// Replaces any HOP_COUNT of the list by one with the given hop, placed last.
void RewriteHopCount(NlnvBinding* list, std::string_view name, std::int16_t hop) {
  if (list == nullptr) return;
  const ShortText path = Format("%.*s/HOP_COUNT", static_cast<int>(name.size()), name.data());
  nlnvdbp(list, path.text, path.length, nullptr);
  const ShortText text = Format("(HOP_COUNT=%d)", static_cast<int>(hop));
  NlnvBinding* hop_count = Parse(text.text, text.length);
  nlnvibb(hop_count, list);
  nlnvdeb(hop_count);  // the list holds a copy
}

void Replace(NlnvBinding** owned, NlnvBinding* built) {
  nlnvdeb(*owned);
  *owned = built;
}

bool IsAddressMember(const NlnvBinding* member, bool* readable) {
  const std::string_view name = NameOf(member);
  *readable = name.data() != nullptr;
  return EqualsIgnoringCase(name, "ADDRESS") || EqualsIgnoringCase(name, "ADDRESS_LIST");
}

// A description holding item in the place of the chosen member and every member that is not an
// address or address list (connect data, SOURCE_ROUTE and the other parameters).
NlnvBinding* BuildDescription(const NlAddressNode* node, const NlnvBinding* chosen, const NlnvBinding* item) {
  static constexpr char kEmptyDescription[] = "(DESCRIPTION=)";
  NlnvBinding* description = Parse(kEmptyDescription, sizeof kEmptyDescription - 1);
  if (description == nullptr) return nullptr;
  for (std::uint32_t i = 1; i <= node->child_count; ++i) {
    NlnvBinding* member = nullptr;
    nlnvgin(node->binding, i, &member);
    if (member == chosen) {
      nlnvibb(item, description);
      continue;
    }
    bool readable = false;
    if (IsAddressMember(member, &readable) || !readable) continue;
    nlnvibb(member, description);
  }
  return description;
}

}  // namespace

void BuildRoute(const NlAddressIterator* iterator, NlAddressNode* node, std::uint32_t chosen,
                NlnvBinding** forward_out) {
  const std::string_view name = NameOf(node->binding);
  const ShortText empty = Format("(%.*s=)", static_cast<int>(name.size()), name.data());
  NlnvBinding* route = Parse(empty.text, empty.length);
  if (route != nullptr) {
    const NlnvBinding* chosen_binding = node->children[chosen]->binding;
    for (std::uint32_t i = 1; i <= node->child_count; ++i) {
      NlnvBinding* member = nullptr;
      nlnvgin(node->binding, i, &member);
      nlnvibb(member == chosen_binding ? *forward_out : member, route);
    }
    if ((iterator->options & NLAD_OPTION_NEXT_HOP) != 0) RewriteHopCount(route, name, node->hop);
  }
  Replace(&node->built_route, route);
  *forward_out = route;
}

void BuildDescriptions(const NlAddressIterator* iterator, NlAddressNode* node, std::uint32_t chosen,
                       NlnvBinding** connect_out, NlnvBinding** forward_out) {
  const NlAddressNode* child = node->children[chosen];
  NlnvBinding* connect = BuildDescription(node, child->binding, *connect_out);
  if ((node->flags & kSourceRoute) == 0) {
    NlnvBinding* forward = BuildDescription(node, child->binding, *forward_out);
    Replace(&node->built_route, forward);
    *forward_out = forward;
  }
  if ((node->flags & kRouteHandedDown) != 0 && (iterator->options & NLAD_OPTION_NEXT_HOP) != 0 &&
      *forward_out != nullptr) {
    // The hop count moves from the routed list up to the description that is forwarded.
    RewriteHopCount(*forward_out, NameOf(node->binding), child->hop);
    static constexpr char kListHopCount[] = "DESCRIPTION/ADDRESS_LIST/HOP_COUNT";
    nlnvdbp(*forward_out, kListHopCount, sizeof kListHopCount - 1, nullptr);
  }
  Replace(&node->built_description, connect);
  *connect_out = connect;
}

}  // namespace kelnl::address
