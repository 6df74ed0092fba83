#include "params/spelling_index.h"

#include <cstring>

#include "params/hash_table.h"
#include "params/record_arena.h"

namespace kelnl {
namespace {

// The link to the binding before this one in its entry's list (null at the head), kept behind
// the record where callers of the public layout never look.
NlParamBinding*& Previous(NlParamBinding* binding) { return *reinterpret_cast<NlParamBinding**>(binding + 1); }

bool SameSpelling(const NlParamBinding* binding, const char* name, std::uint32_t length) {
  return binding->name_length == length && std::memcmp(binding->name, name, length) == 0;
}

void PushFront(NlParamEntry* entry, NlParamBinding* binding) {
  Previous(binding) = nullptr;
  binding->next = entry->bindings;
  if (binding->next != nullptr) Previous(binding->next) = binding;
  entry->bindings = binding;
}

void Unlink(NlParamEntry* entry, NlParamBinding* binding) {
  NlParamBinding* before = Previous(binding);
  if (before != nullptr) {
    before->next = binding->next;
  } else {
    entry->bindings = binding->next;
  }
  if (binding->next != nullptr) Previous(binding->next) = before;
  binding->next = nullptr;
}

// Adds a binding whose spelling the index does not hold yet; false when memory ran out.
bool Index(NlParameterTable* table, NlParamBinding* binding) {
  NlHashTable*& index = TableArena(table)->spellings;
  if (index == nullptr) index = nlhthnew(nlhthskey, nlhthteq);
  if (index == nullptr) return false;
  const HashProbe probe = ProbeForKey(index, binding->name, binding->name_length);
  return InsertAtProbe(index, probe, binding->name, binding->name_length, binding) != nullptr;
}

}  // namespace

std::size_t BindingRecordBytes(std::uint32_t length) {
  return sizeof(NlParamBinding) + sizeof(NlParamBinding*) + length + std::size_t{1};
}

char* BindingNameStorage(NlParamBinding* binding) {
  return reinterpret_cast<char*>(binding + 1) + sizeof(NlParamBinding*);
}

NlParamBinding* FindSpelling(NlParameterTable* table, const NlParamEntry* entry, const char* name,
                             std::uint32_t length) {
  NlParamBinding* head = entry->bindings;
  if (head == nullptr || head->next == nullptr) {
    return head != nullptr && SameSpelling(head, name, length) ? head : nullptr;
  }
  // Every binding of an entry with several spellings is indexed; a spelling folds to one entry.
  return static_cast<NlParamBinding*>(nlhthget(TableArena(table)->spellings, name, length));
}

bool LinkBinding(NlParameterTable* table, NlParamEntry* entry, NlParamBinding* binding, NlParamBinding** replaced) {
  *replaced = nullptr;
  NlParamBinding* head = entry->bindings;
  if (head != nullptr && head->next == nullptr) {
    if (SameSpelling(head, binding->name, binding->name_length)) {
      Unlink(entry, head);
      *replaced = head;
    } else {
      // The entry's second spelling: from now on all of its bindings are indexed.
      if (!Index(table, head)) return false;
      if (!Index(table, binding)) {
        nlhthdel(TableArena(table)->spellings, head->name, head->name_length);
        return false;
      }
    }
  } else if (head != nullptr) {
    NlHashTable* index = TableArena(table)->spellings;
    const HashProbe probe = ProbeForKey(index, binding->name, binding->name_length);
    if (probe.found) {
      // The new binding takes the old one's place in the index: no memory needed.
      NlHashSlot& slot = index->slots[probe.slot];
      *replaced = static_cast<NlParamBinding*>(slot.value);
      slot.key = binding->name;
      slot.value = binding;
      Unlink(entry, *replaced);
    } else if (InsertAtProbe(index, probe, binding->name, binding->name_length, binding) == nullptr) {
      return false;
    }
  }
  PushFront(entry, binding);
  return true;
}

void ReleaseSpellingIndex(NlParameterTable* table) {
  NlHashTable*& index = TableArena(table)->spellings;
  nlhthfre(index);
  index = nullptr;
}

}  // namespace kelnl
