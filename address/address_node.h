// The node tree of an address iterator: one node per binding of the descriptor.
#ifndef KELNL_ADDRESS_ADDRESS_NODE_H
#define KELNL_ADDRESS_ADDRESS_NODE_H

#include <cstdint>

#include "kelnl/nlad.h"

namespace kelnl::address {

enum NodeKind : std::uint8_t {
  kDescriptionList = 0,
  kDescription = 1,
  kAddressList = 2,
  kAddress = 3,
  kOther = 4,
};

enum NodeFlags : std::uint16_t {
  kFailover = 1,
  kLoadBalance = 2,
  kSourceRoute = 4,
  kRouteHandedDown = 8,  // a description whose route lives on in its single ADDRESS_LIST
};

inline constexpr std::uint16_t kChooseAfresh = 0xFFFF;

// Results shared by expansion and iteration.
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kNoneLeft = 4;

}  // namespace kelnl::address

// Named in the public header; the layout is the library's own.
struct NlAddressNode {
  std::uint8_t kind;
  NlAddressNode** children;
  std::uint32_t child_count;      // every sub-binding, of any kind
  std::uint16_t current;          // the child the next call continues with, or kChooseAfresh
  std::int32_t exhausted;
  std::uint16_t flags;
  std::int16_t hop;               // 1-based hop number of a source-routed list
  NlnvBinding* built_description; // owned: last connect output built here
  NlnvBinding* built_route;       // owned: last forward output built here
  NlnvBinding* binding;           // not owned: the descriptor's sub-binding
  // Bookkeeping that keeps every choice cheap on long lists, so a whole iteration stays linear.
  std::uint32_t active_count;     // children not exhausted
  std::uint32_t first_active;     // no child before this index is active
  std::uint32_t* active_tree;     // load-balanced lists: a Fenwick tree of the active children
};

namespace kelnl::address {

// Expands binding into a new tree stored in *root (linked at once, so that a failure part-way
// leaves a tree ReleaseTree can free). Results as nladini's, except that a top binding of kind 4
// is no failure here.
std::int32_t ExpandTree(NlnvBinding* binding, std::uint16_t options, NlAddressNode** root);
void ReleaseTree(NlAddressNode* root);

// Keeps the bookkeeping in step after the child at index turned exhausted.
void NoteChildExhausted(NlAddressNode* node, std::uint32_t index);
// Recomputes the bookkeeping from the children's exhausted fields.
void RecountActive(NlAddressNode* node);
// The index of the k-th active child (from 0, descriptor order), or child_count.
std::uint32_t NthActiveChild(NlAddressNode* node, std::uint32_t k);
std::uint32_t FirstActiveChild(NlAddressNode* node);
// The next address below node; the outputs as nladget's.
std::int32_t NextAddress(NlAddressIterator* iterator, NlAddressNode* node, NlnvBinding** connect_out,
                         NlnvBinding** forward_out);

}  // namespace kelnl::address

#endif
