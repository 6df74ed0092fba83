// Which children of a node are still active, kept so that every choice is cheap: a cursor for
// the first active child (exhaustion never reverts, so it only moves forward) and, on
// load-balanced lists, a Fenwick tree that finds the k-th active child in logarithmic time.
#include "address/address_node.h"

namespace kelnl::address {

namespace {

std::uint32_t LowestBit(std::uint32_t position) { return position & (~position + 1); }

std::uint32_t HighestPowerOfTwoAtMost(std::uint32_t value) {
  std::uint32_t power = 1;
  while (power <= value / 2) power <<= 1;
  return power;
}

}  // namespace

void RecountActive(NlAddressNode* node) {
  const std::uint32_t count = node->child_count;
  std::uint32_t* tree = node->active_tree;
  node->active_count = 0;
  node->first_active = 0;
  if (tree != nullptr) tree[0] = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t active = node->children[i]->exhausted == 0 ? 1 : 0;
    node->active_count += active;
    if (tree != nullptr) tree[i + 1] = active;
  }
  if (tree == nullptr) return;
  // Linear construction: each position hands its sum on to the next position that covers it.
  for (std::uint32_t position = 1; position <= count; ++position) {
    const std::uint32_t parent = position + LowestBit(position);
    if (parent <= count) tree[parent] += tree[position];
  }
}

void NoteChildExhausted(NlAddressNode* node, std::uint32_t index) {
  --node->active_count;
  std::uint32_t* tree = node->active_tree;
  if (tree == nullptr) return;
  for (std::uint32_t position = index + 1; position <= node->child_count; position += LowestBit(position)) {
    --tree[position];
  }
}

std::uint32_t FirstActiveChild(NlAddressNode* node) {
  while (node->first_active < node->child_count && node->children[node->first_active]->exhausted != 0) {
    ++node->first_active;
  }
  return node->first_active;
}

std::uint32_t NthActiveChild(NlAddressNode* node, std::uint32_t k) {
  if (k >= node->active_count) return node->child_count;
  const std::uint32_t* tree = node->active_tree;
  if (tree == nullptr) {
    // Only load-balanced lists have a tree; elsewhere a walk from the first active child.
    for (std::uint32_t i = FirstActiveChild(node); i < node->child_count; ++i) {
      if (node->children[i]->exhausted == 0 && k-- == 0) return i;
    }
    return node->child_count;
  }
  std::uint32_t position = 0;
  std::uint32_t remaining = k + 1;
  for (std::uint32_t step = HighestPowerOfTwoAtMost(node->child_count); step != 0; step >>= 1) {
    if (position + step <= node->child_count && tree[position + step] < remaining) {
      position += step;
      remaining -= tree[position];
    }
  }
  return position;  // the 1-based position after the last one skipped is the 0-based index
}

}  // namespace kelnl::address
