// One step of the iteration: from a node down to the next address it hands out.
#include "address/address_node.h"
#include "address/outputs.h"
#include "kelnl/nlrn.h"

namespace kelnl::address {

namespace {

constexpr std::uint32_t kNoChild = 0xFFFFFFFFu;

std::int32_t HandOutAddress(NlAddressIterator* iterator, NlAddressNode* node, NlnvBinding** connect_out,
                            NlnvBinding** forward_out) {
  if ((iterator->options & NLAD_OPTION_PROTOCOL) != 0) {
    static constexpr char kProtocolPath[] = "ADDRESS/PROTOCOL";
    const char* protocol = nullptr;
    std::size_t length = 0;
    nlnvgap(node->binding, kProtocolPath, sizeof kProtocolPath - 1, &protocol, &length, nullptr);
    iterator->protocol = protocol;  // null when the address names no protocol
  }
  *connect_out = node->binding;
  *forward_out = node->binding;
  node->exhausted = 1;
  return kOk;
}

std::uint32_t ChooseChild(NlAddressIterator* iterator, NlAddressNode* node) {
  if (node->current != kChooseAfresh) return node->current;
  if ((node->flags & kLoadBalance) != 0) {
    if (node->active_count == 0) return kNoChild;
    std::uint16_t random = 0;
    // Without memory for the generator's state the draw stays 0: the first active member,
    // which is still a member a caller may try.
    nlrngr(iterator->context, &random);
    return NthActiveChild(node, random % node->active_count);
  }
  const std::uint32_t first = FirstActiveChild(node);
  return first < node->child_count ? first : kNoChild;
}

}  // namespace

std::int32_t NextAddress(NlAddressIterator* iterator, NlAddressNode* node, NlnvBinding** connect_out,
                         NlnvBinding** forward_out) {
  if (node->exhausted != 0) return kNoneLeft;
  if (node->kind == kAddress) return HandOutAddress(iterator, node, connect_out, forward_out);
  const std::uint32_t chosen = ChooseChild(iterator, node);
  if (chosen == kNoChild) {
    node->exhausted = 1;
    return kNoneLeft;
  }
  NlAddressNode* child = node->children[chosen];
  const bool was_active = child->exhausted == 0;
  const std::int32_t result = NextAddress(iterator, child, connect_out, forward_out);
  if (was_active && child->exhausted != 0) NoteChildExhausted(node, chosen);
  // Without failover a level hands out one address only.
  if ((node->flags & (kFailover | kSourceRoute)) == 0) node->exhausted = 1;
  if (node->exhausted == 0 && child->exhausted == 0) {
    node->current = static_cast<std::uint16_t>(chosen);
  } else {
    if (node->active_count == 0) node->exhausted = 1;
    node->current = kChooseAfresh;
  }
  // A member that handed out nothing leaves nothing to wrap or forward.
  if (result != kOk) return result;
  if ((node->flags & kSourceRoute) != 0) BuildRoute(iterator, node, chosen, forward_out);
  if (node->kind == kDescription) BuildDescriptions(iterator, node, chosen, connect_out, forward_out);
  return result;
}

}  // namespace kelnl::address
