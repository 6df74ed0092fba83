#include "params/spelling_index.h"

#include <cstddef>
#include <cstring>

#include "params/hash_table.h"
#include "params/record_arena.h"

namespace kelnl {
namespace {

// What the index holds for one spelling: its binding, and the binding before it in its entry's
// list (null at the head), so that one in the middle is unlinked at once. Kept here rather than
// in every binding record: nearly every entry has one spelling and needs neither.
struct SpellingNode {
  NlParamBinding* binding;
  NlParamBinding* previous;
};

// A name's text starts where the record's last field ends: in the record's tail padding, where
// there is some.
constexpr std::size_t kNameOffset = offsetof(NlParamBinding, name_length) + sizeof(std::uint32_t);

bool SameSpelling(const NlParamBinding* binding, const char* name, std::uint32_t length) {
  return binding->name_length == length && std::memcmp(binding->name, name, length) == 0;
}

NlHashTable*& SpellingTable(NlParameterTable* table) { return TableArena(table)->spellings; }

// The node of a binding of an indexed entry (every one of them has one).
SpellingNode* NodeOf(NlParameterTable* table, const NlParamBinding* binding) {
  return static_cast<SpellingNode*>(nlhthget(SpellingTable(table), binding->name, binding->name_length));
}

SpellingNode* NewNode(NlParameterTable* table, NlParamBinding* binding, NlParamBinding* previous) {
  auto* node = static_cast<SpellingNode*>(CarveRecord(table, sizeof(SpellingNode)));
  if (node != nullptr) *node = SpellingNode{binding, previous};
  return node;
}

// Adds a node for a spelling the index does not hold yet; false when memory ran out.
bool Index(NlParameterTable* table, SpellingNode* node) {
  NlHashTable*& index = SpellingTable(table);
  if (index == nullptr) index = nlhthnew(nlhthskey, nlhthteq);
  if (index == nullptr) return false;
  const NlParamBinding* binding = node->binding;
  const HashProbe probe = ProbeForKey(index, binding->name, binding->name_length);
  return InsertAtProbe(index, probe, binding->name, binding->name_length, node) != nullptr;
}

// Puts a binding at the head of an indexed entry's list; its node says it has nothing before it.
void PushFront(NlParameterTable* table, NlParamEntry* entry, NlParamBinding* binding, SpellingNode* node) {
  node->previous = nullptr;
  binding->next = entry->bindings;
  if (binding->next != nullptr) NodeOf(table, binding->next)->previous = binding;
  entry->bindings = binding;
}

void Unlink(NlParameterTable* table, NlParamEntry* entry, NlParamBinding* binding, NlParamBinding* before) {
  if (before != nullptr) {
    before->next = binding->next;
  } else {
    entry->bindings = binding->next;
  }
  if (binding->next != nullptr) NodeOf(table, binding->next)->previous = before;
  binding->next = nullptr;
}

// The entry's second spelling: from now on all of its bindings are indexed. The new binding goes
// in front of the one there was.
bool IndexBoth(NlParameterTable* table, NlParamEntry* entry, NlParamBinding* binding) {
  NlParamBinding* head = entry->bindings;
  SpellingNode* head_node = NewNode(table, head, binding);
  SpellingNode* node = head_node != nullptr ? NewNode(table, binding, nullptr) : nullptr;
  bool indexed = node != nullptr && Index(table, head_node);
  if (indexed && !Index(table, node)) {
    nlhthdel(SpellingTable(table), head->name, head->name_length);
    indexed = false;
  }
  if (!indexed) {
    ReleaseRecord(table, node, sizeof(SpellingNode));
    ReleaseRecord(table, head_node, sizeof(SpellingNode));
    return false;
  }
  binding->next = head;
  entry->bindings = binding;
  return true;
}

}  // namespace

std::size_t BindingRecordBytes(std::uint32_t length) { return kNameOffset + length + std::size_t{1}; }

char* BindingNameStorage(NlParamBinding* binding) { return reinterpret_cast<char*>(binding) + kNameOffset; }

NlParamBinding* FindSpelling(NlParameterTable* table, const NlParamEntry* entry, const char* name,
                             std::uint32_t length) {
  NlParamBinding* head = entry->bindings;
  if (head == nullptr || head->next == nullptr) {
    return head != nullptr && SameSpelling(head, name, length) ? head : nullptr;
  }
  // Every binding of an entry with several spellings is indexed; a spelling folds to one entry.
  auto* node = static_cast<SpellingNode*>(nlhthget(SpellingTable(table), name, length));
  return node != nullptr ? node->binding : nullptr;
}

bool LinkBinding(NlParameterTable* table, NlParamEntry* entry, NlParamBinding* binding, NlParamBinding** replaced) {
  *replaced = nullptr;
  NlParamBinding* head = entry->bindings;
  if (head == nullptr || (head->next == nullptr && SameSpelling(head, binding->name, binding->name_length))) {
    // The entry's only spelling, new or replaced: nothing is indexed.
    *replaced = head;
    binding->next = nullptr;
    entry->bindings = binding;
    return true;
  }
  if (head->next == nullptr) return IndexBoth(table, entry, binding);
  NlHashTable* index = SpellingTable(table);
  const HashProbe probe = ProbeForKey(index, binding->name, binding->name_length);
  if (probe.found) {
    // The new binding takes the old one's node and place in the index: no memory needed.
    NlHashSlot& slot = index->slots[probe.slot];
    auto* node = static_cast<SpellingNode*>(slot.value);
    *replaced = node->binding;
    Unlink(table, entry, *replaced, node->previous);
    slot.key = binding->name;
    node->binding = binding;
    PushFront(table, entry, binding, node);
    return true;
  }
  SpellingNode* node = NewNode(table, binding, nullptr);
  if (node == nullptr) return false;
  if (InsertAtProbe(index, probe, binding->name, binding->name_length, node) == nullptr) {
    ReleaseRecord(table, node, sizeof(SpellingNode));
    return false;
  }
  PushFront(table, entry, binding, node);
  return true;
}

void ReleaseSpellingIndex(NlParameterTable* table) {
  NlHashTable*& index = SpellingTable(table);
  nlhthfre(index);
  index = nullptr;
}

}  // namespace kelnl
