// Expansion: the node tree that mirrors a descriptor, with the flags, hops and exhausted marks
// that decide the order in which addresses come out.
#include "address/address_node.h"
#include "address/list_flags.h"
#include "platform/core/allocator.h"

namespace kelnl::address {

namespace {

constexpr std::int32_t kBadArgument = NLAD_INIT_BAD_ARGUMENT;
constexpr std::int32_t kNoMemory = NLAD_INIT_NO_MEMORY;

NodeKind KindOf(const NlnvBinding* binding, std::string_view name) {
  if (nlnvisa(binding) == 0) return kOther;
  if (EqualsIgnoringCase(name, "ADDRESS")) return kAddress;
  if (EqualsIgnoringCase(name, "ADDRESS_LIST")) return kAddressList;
  if (EqualsIgnoringCase(name, "DESCRIPTION")) return kDescription;
  if (EqualsIgnoringCase(name, "DESCRIPTION_LIST")) return kDescriptionList;
  return kOther;
}

bool IsStructural(const NlAddressNode* node) { return node->kind <= kAddress; }

// Only the hop-th structural member of a route stays active; a hop beyond the members, or below
// 1, leaves none.
void ApplyHopFilter(NlAddressNode* node) {
  std::int32_t position = 0;
  for (std::uint32_t i = 0; i < node->child_count; ++i) {
    NlAddressNode* child = node->children[i];
    if (!IsStructural(child)) continue;
    if (++position != node->hop) child->exhausted = 1;
  }
}

// A routed description whose addresses all sit in one ADDRESS_LIST lets that list carry the
// route: the list then forwards itself, and the description only moves the hop count up.
void HandRouteDown(NlAddressNode* description) {
  NlAddressNode* list = nullptr;
  std::uint32_t lists = 0;
  for (std::uint32_t i = 0; i < description->child_count; ++i) {
    NlAddressNode* child = description->children[i];
    if (child->kind == kAddress) return;
    if (child->kind == kAddressList) {
      list = child;
      ++lists;
    }
  }
  if (lists != 1) return;
  list->flags = static_cast<std::uint16_t>((list->flags & ~(kFailover | kLoadBalance)) | kSourceRoute);
  list->hop = description->hop;
  description->flags = static_cast<std::uint16_t>((description->flags & ~kSourceRoute) | kRouteHandedDown);
  description->hop = 1;
  ApplyHopFilter(list);
  RecountActive(list);
}

std::int32_t ExpandNode(NlnvBinding* binding, std::uint16_t options, NlAddressNode** slot, int depth);

std::int32_t ExpandChildren(NlAddressNode* node, std::uint16_t options, int depth, bool* any_routed) {
  std::uint32_t count = 0;
  if (nlnvnnv(node->binding, &count) != 0) return kBadArgument;
  // `current` keeps a member's index in 16 bits, its all-ones value meaning none.
  if (count > NLAD_MAX_LIST_MEMBERS) return kBadArgument;
  if (count == 0) return kOk;
  node->children = static_cast<NlAddressNode**>(AllocateZeroed(count, sizeof(NlAddressNode*)));
  if (node->children == nullptr) return kNoMemory;
  node->child_count = count;
  for (std::uint32_t i = 0; i < count; ++i) {
    NlnvBinding* sub_binding = nullptr;
    if (nlnvgin(node->binding, i + 1, &sub_binding) != 0) return kBadArgument;
    const std::int32_t result = ExpandNode(sub_binding, options, &node->children[i], depth + 1);
    if (result != kOk) return result;
    if ((node->children[i]->flags & kSourceRoute) != 0) *any_routed = true;
  }
  return kOk;
}

std::int32_t ExpandList(NlAddressNode* node, std::string_view name, std::uint16_t options, int depth) {
  ComputeListFlags(node, name, options);
  bool any_routed = false;
  const std::int32_t result = ExpandChildren(node, options, depth, &any_routed);
  if (result != kOk) return result;
  if (node->kind == kDescription && (node->flags & kSourceRoute) != 0) HandRouteDown(node);
  if ((node->flags & kSourceRoute) != 0) ApplyHopFilter(node);
  if ((options & NLAD_OPTION_ROUTED_ONLY) != 0 && any_routed) {
    for (std::uint32_t i = 0; i < node->child_count; ++i) {
      if ((node->children[i]->flags & kSourceRoute) == 0) node->children[i]->exhausted = 1;
    }
  }
  if ((node->flags & kLoadBalance) != 0 && node->child_count != 0) {
    node->active_tree = static_cast<std::uint32_t*>(Allocate((node->child_count + std::size_t{1}) * sizeof(std::uint32_t)));
    if (node->active_tree == nullptr) return kNoMemory;
  }
  RecountActive(node);
  return kOk;
}

std::int32_t ExpandNode(NlnvBinding* binding, std::uint16_t options, NlAddressNode** slot, int depth) {
  // The name-value library builds no deeper tree; the guard keeps the stack bounded regardless.
  if (depth > NLNV_MAX_DEPTH) return kBadArgument;
  auto* node = static_cast<NlAddressNode*>(AllocateZeroed(1, sizeof(NlAddressNode)));
  if (node == nullptr) return kNoMemory;
  *slot = node;  // linked at once: a failure further down leaves a tree that can be released
  node->current = kChooseAfresh;
  node->hop = 1;
  node->binding = binding;
  const char* name = nullptr;
  std::size_t name_length = 0;
  if (nlnvgtn(binding, &name, &name_length) != 0) return kBadArgument;
  node->kind = KindOf(binding, {name, name_length});
  if (node->kind == kOther) {
    node->exhausted = 1;
    return kOk;
  }
  if (node->kind == kAddress) return kOk;
  return ExpandList(node, {name, name_length}, options, depth);
}

}  // namespace

std::int32_t ExpandTree(NlnvBinding* binding, std::uint16_t options, NlAddressNode** root) {
  *root = nullptr;
  return ExpandNode(binding, options, root, 1);
}

void ReleaseTree(NlAddressNode* node) {
  if (node == nullptr) return;
  for (std::uint32_t i = 0; i < node->child_count; ++i) ReleaseTree(node->children[i]);
  Release(node->children);
  nlnvdeb(node->built_description);
  nlnvdeb(node->built_route);
  Release(node->active_tree);
  Release(node);
}

}  // namespace kelnl::address
