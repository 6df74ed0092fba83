#include "platform/nv/binding.h"

#include <cstring>
#include <new>

#include "platform/nv/nv_memory.h"

namespace kelnv {
namespace {

Binding** InlineSlots(Binding* node) { return reinterpret_cast<Binding**>(node + 1); }

bool HasInlineSlots(Binding* node) {
  return node->children != nullptr && node->children == InlineSlots(node);
}

char* CopyText(char* destination, std::string_view text) {
  std::memcpy(destination, text.data(), text.size());
  destination[text.size()] = '\0';
  return destination;
}

Binding* MakeNode(Arena& arena, std::string_view name, const std::string_view* atom,
                  std::uint32_t slots) {
  const std::size_t bytes = atom != nullptr ? AtomItemBytes(name, *atom) : ListItemBytes(name, slots);
  Chunk* chunk = nullptr;
  void* item = arena.Carve(bytes, &chunk);
  if (item == nullptr) return nullptr;
  auto* node = new (item) Binding{};
  node->chunk = chunk;
  char* text = reinterpret_cast<char*>(InlineSlots(node) + slots);
  node->name = CopyText(text, name);
  node->name_length = name.size();
  if (atom != nullptr) {
    node->atom = CopyText(text + name.size() + 1, *atom);
    node->atom_length = atom->size();
  } else if (slots > 0) {
    node->children = InlineSlots(node);
    node->child_capacity = slots;
  }
  return node;
}

// Inline slots cannot grow in place: the larger array is always a heap block of its own.
bool GrowChildren(Binding* list, std::uint32_t capacity) {
  const std::size_t bytes = sizeof(Binding*) * static_cast<std::size_t>(capacity);
  void* grown = nullptr;
  if (HasInlineSlots(list)) {
    grown = Allocate(bytes);
    if (grown != nullptr) std::memcpy(grown, list->children, sizeof(Binding*) * list->child_count);
  } else {
    grown = Reallocate(list->children, bytes);
  }
  if (grown == nullptr) return false;
  list->children = static_cast<Binding**>(grown);
  list->child_capacity = capacity;
  return true;
}

}  // namespace

std::size_t ListItemBytes(std::string_view name, std::uint32_t slots) {
  return AlignItem(sizeof(Binding) + sizeof(Binding*) * static_cast<std::size_t>(slots) +
                   name.size() + 1);
}

std::size_t AtomItemBytes(std::string_view name, std::string_view atom) {
  return AlignItem(sizeof(Binding) + name.size() + 1 + atom.size() + 1);
}

Binding* MakeAtom(Arena& arena, std::string_view name, std::string_view atom) {
  return MakeNode(arena, name, &atom, 0);
}

Binding* MakeList(Arena& arena, std::string_view name, std::uint32_t slots) {
  return MakeNode(arena, name, nullptr, slots);
}

bool AppendChild(Binding* list, Binding* child) {
  if (list->child_count == list->child_capacity) {
    if (list->child_capacity == UINT32_MAX) return false;
    const std::uint32_t doubled =
        list->child_capacity > UINT32_MAX / 2 ? UINT32_MAX : list->child_capacity * 2;
    if (!GrowChildren(list, doubled < 4 ? 4 : doubled)) return false;
  }
  list->children[list->child_count++] = child;
  child->parent = list;
  return true;
}

void Detach(Binding* binding) {
  Binding* list = binding->parent;
  if (list == nullptr) return;
  for (std::uint32_t i = 0; i < list->child_count; ++i) {
    if (list->children[i] != binding) continue;
    std::memmove(list->children + i, list->children + i + 1,
                 sizeof(Binding*) * (list->child_count - i - 1));
    --list->child_count;
    break;
  }
  binding->parent = nullptr;
}

// Always descends into the last remaining sub-binding, dropping it from its list's count, and
// climbs back once a node is empty: each node is released after everything below it, with no
// stack and no allocation.
void DestroyTree(Binding* root) {
  Binding* node = root;
  while (node != nullptr) {
    if (node->child_count > 0) {
      node = node->children[--node->child_count];
      continue;
    }
    Binding* up = node == root ? nullptr : node->parent;
    if (!HasInlineSlots(node)) Release(node->children);
    ReleaseItem(node->chunk);
    node = up;
  }
}

void DestroyBinding(Binding* binding) {
  Detach(binding);
  DestroyTree(binding);
}

int DepthInTree(const Binding& binding) {
  int depth = 1;
  for (const Binding* up = binding.parent; up != nullptr; up = up->parent) ++depth;
  return depth;
}

}  // namespace kelnv
