// The binding node and the operations on single nodes that everything else builds on.
//
// A tree of bindings: a list owns its sub-bindings through children[], and every sub-binding
// points back to the list that holds it, which lets a sub-binding be removed or destroyed by
// its handle alone and lets an insertion measure how deep its target lies. A node is one item
// of an arena chunk (arena.h): the node, then a list's first slot array, then the name and the
// atom text, each NUL-terminated. A list that outgrows those inline slots moves them to a heap
// block of their own.
#ifndef KELNL_PLATFORM_NV_BINDING_H
#define KELNL_PLATFORM_NV_BINDING_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kelnl/nlnv.h"
#include "platform/nv/arena.h"

struct NlnvBinding {
  NlnvBinding* parent;           // the list holding this binding; null for a tree's root
  NlnvBinding** children;        // a list's sub-bindings in order; null while it has no slots
  std::uint32_t child_count;
  std::uint32_t child_capacity;
  const char* name;              // NUL-terminated, as written
  std::size_t name_length;
  const char* atom;              // NUL-terminated atom text; null for a list
  std::size_t atom_length;
  kelnv::Chunk* chunk;           // the chunk the node was carved from
};

namespace kelnv {

using Binding = NlnvBinding;

constexpr int kMaxDepth = NLNV_MAX_DEPTH;

inline bool IsList(const Binding& binding) { return binding.atom == nullptr; }
inline std::string_view NameOf(const Binding& binding) {
  return {binding.name, binding.name_length};
}
inline std::string_view AtomOf(const Binding& binding) {
  return {binding.atom, binding.atom_length};
}

// The bytes one node takes in its chunk: a list with `slots` inline slots, or an atom.
std::size_t ListItemBytes(std::string_view name, std::uint32_t slots);
std::size_t AtomItemBytes(std::string_view name, std::string_view atom);

// A new root node carved from arena, or null when memory runs out. A list gets `slots` inline
// slots, enough for that many sub-bindings before it needs a heap block.
Binding* MakeAtom(Arena& arena, std::string_view name, std::string_view atom);
Binding* MakeList(Arena& arena, std::string_view name, std::uint32_t slots);

// Appends child (a root) to list; false when memory runs out, and nothing changes.
bool AppendChild(Binding* list, Binding* child);
// Takes a sub-binding out of the list that holds it; it becomes a root.
void Detach(Binding* binding);
// Releases a root and everything under it, without recursion.
void DestroyTree(Binding* root);
// Detaches the binding when it is a sub-binding, then destroys it.
void DestroyBinding(Binding* binding);

// The nesting level of a binding in its tree, the root being 1.
int DepthInTree(const Binding& binding);

}  // namespace kelnv

#endif
