#include "platform/nv/tables.h"

#include "platform/nv/errors.h"
#include "platform/nv/path.h"
#include "platform/nv/tree_copy.h"

namespace kelnv {
namespace {

constexpr char kAlternativeSeparator = ':';

// The new list and the atom's copy share one chunk.
Binding* WrapAtom(const Binding& atom, std::string_view name) {
  const std::size_t bytes = ListItemBytes(name, 1) + AtomItemBytes(NameOf(atom), AtomOf(atom));
  Arena arena(bytes, bytes);
  Binding* list = MakeList(arena, name, 1);
  if (list == nullptr) return nullptr;
  Binding* copy = MakeAtom(arena, NameOf(atom), AtomOf(atom));
  if (copy == nullptr) {
    DestroyTree(list);
    return nullptr;
  }
  AppendChild(list, copy);  // fills the inline slot: no allocation
  return list;
}

// Entries that are not well-formed paths simply never match.
Binding* FirstResolvingEntry(const char* const* table, const Binding& binding) {
  for (; *table != nullptr; ++table) {
    Binding* found = nullptr;
    if (ResolvePath(binding, *table, &found) == kOk) return found;
  }
  return nullptr;
}

const Binding* FirstAtomOfRow(const Binding& list, std::string_view row) {
  while (!row.empty()) {
    const std::size_t end = row.find(kAlternativeSeparator);
    const std::string_view alternative = row.substr(0, end);
    row.remove_prefix(end == std::string_view::npos ? row.size() : end + 1);
    if (alternative.empty()) continue;
    const Binding* found = FindChild(list, alternative);
    if (found != nullptr && !IsList(*found)) return found;
  }
  return nullptr;
}

}  // namespace

std::int32_t ConvertByTable(const char* const* table, std::string_view name, Binding** slot) {
  const Binding* source = FirstResolvingEntry(table, **slot);
  if (source == nullptr) return NLNV_ERROR_NOT_FOUND;
  Binding* converted = IsList(*source) ? CopyTree(*source, name) : WrapAtom(*source, name);
  if (converted == nullptr) return NLNV_ERROR_MEMORY;
  DestroyBinding(*slot);
  *slot = converted;
  return kOk;
}

void LookupRows(const Binding& list, const char* const* table, const char** texts,
                std::size_t* lengths) {
  for (std::size_t row = 0; table[row] != nullptr; ++row) {
    const Binding* found = FirstAtomOfRow(list, table[row]);
    texts[row] = found != nullptr ? found->atom : nullptr;
    lengths[row] = found != nullptr ? found->atom_length : 0;
  }
}

}  // namespace kelnv
