// Depth-first traversal of a binding tree without recursion.
#ifndef KELNL_PLATFORM_NV_TREE_WALK_H
#define KELNL_PLATFORM_NV_TREE_WALK_H

#include <cstdint>

#include "platform/nv/binding.h"

namespace kelnv {

// Calls visitor.Atom(atom) for an atom, visitor.Enter(list) before a list's sub-bindings and
// visitor.Leave(list) after them, in text order. A call returning false stops the walk, which
// then returns false. The explicit stack is bounded because no tree nests deeper than kMaxDepth.
template <typename Visitor>
bool WalkTree(const Binding& root, Visitor& visitor) {
  struct OpenList {
    const Binding* list;
    std::uint32_t next;
  };
  OpenList open[kMaxDepth];
  int open_count = 0;
  const Binding* node = &root;
  for (;;) {
    if (node != nullptr) {
      if (!IsList(*node)) {
        if (!visitor.Atom(*node)) return false;
      } else {
        // Unreachable while trees keep to kMaxDepth; refuse rather than overrun the stack.
        if (open_count == kMaxDepth || !visitor.Enter(*node)) return false;
        open[open_count++] = {node, 0};
      }
    }
    if (open_count == 0) return true;
    OpenList& top = open[open_count - 1];
    if (top.next < top.list->child_count) {
      node = top.list->children[top.next++];
      continue;
    }
    if (!visitor.Leave(*top.list)) return false;
    --open_count;
    node = nullptr;
  }
}

}  // namespace kelnv

#endif
