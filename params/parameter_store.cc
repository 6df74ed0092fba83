#include "params/parameter_store.h"

#include <cctype>
#include <cstddef>
#include <cstring>

#include "kelnl/nlerrors.h"
#include "params/hash_table.h"
#include "params/record_arena.h"
#include "params/regression_side_file.h"
#include "params/spelling_index.h"
#include "params/text_chunks.h"
#include "platform/core/allocator.h"

namespace kelnl {
namespace {

// Keys are the names with every upper-case character (as the C runtime classes them) lowered,
// through a table taken from the runtime when the caller has one, else asking character by
// character.
void FoldCase(const char* name, std::uint32_t length, const CaseFolding* folding, char* key) {
  for (std::uint32_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (folding != nullptr) {
      key[i] = static_cast<char>(folding->lower[c]);
    } else {
      key[i] = std::isupper(c) ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
    }
  }
  key[length] = '\0';
}

// A key: the name itself when folding changes nothing (the usual lower-case name), else the
// name folded into a short stack buffer, or an allocated one for long names. Folding through a
// runtime table also yields the key's nlhthskey value on the way, so the probe need not read the
// key again for it.
class FoldedKey {
 public:
  FoldedKey(const char* name, std::uint32_t length, const CaseFolding* folding = nullptr,
            const FoldedNameHash* known = nullptr)
      : length_(length) {
    FoldedNameHash learnt{};
    if (known == nullptr && folding != nullptr) learnt = FoldedNameHash::Of(name, length, *folding), known = &learnt;
    if (known != nullptr) hash_ = known->hash, hash_known_ = true;
    if (known != nullptr && known->already_folded) {
      text_ = name;  // borrowed: folding changes nothing
      return;
    }
    char* folded = length < sizeof local_ ? local_ : static_cast<char*>(Allocate(length + std::size_t{1}));
    if (folded != nullptr) FoldCase(name, length, folding, folded);
    text_ = folded;
    owned_ = folded != local_;
  }
  ~FoldedKey() {
    if (owned_) Release(const_cast<char*>(text_));
  }
  FoldedKey(const FoldedKey&) = delete;
  FoldedKey& operator=(const FoldedKey&) = delete;
  const char* text() const { return text_; }
  std::uint32_t length() const { return length_; }
  bool hash_known() const { return hash_known_; }
  std::uint32_t hash() const { return hash_; }

 private:
  char local_[128];
  const char* text_ = nullptr;
  std::uint32_t length_;
  std::uint32_t hash_ = 0;
  bool hash_known_ = false;
  bool owned_ = false;
};

// A new entry for key. When the first binding's name is spelt exactly as the key (the usual
// lower-case name), the entry's key is that name's text instead of a copy of it; the binding
// then keeps its storage for as long as the entry lives (see RemoveSameSpelling). Not so for the
// regression side file, which rewrites that first name in place.
NlParamEntry* NewEntry(NlParameterTable* table, const FoldedKey& key, NlParamBinding* first, bool regression) {
  const bool shared = !regression && first->name_length == key.length() &&
                      (key.text() == first->name || std::memcmp(first->name, key.text(), key.length()) == 0);
  const std::size_t text_bytes = shared ? 0 : key.length() + std::size_t{1};
  auto* entry = static_cast<NlParamEntry*>(CarveRecord(table, sizeof(NlParamEntry) + text_bytes));
  if (entry == nullptr) return nullptr;
  if (shared) {
    entry->key = first->name;
  } else {
    entry->key = reinterpret_cast<char*>(entry + 1);
    std::memcpy(entry->key, key.text(), text_bytes);
  }
  entry->key_length = key.length();
  entry->bindings = nullptr;
  return entry;
}

// A value's text starts where the record's last field ends: in the record's tail padding, where
// there is some.
constexpr std::size_t kValueTextOffset = offsetof(NlParamValue, reference_count) + sizeof(std::int32_t);

std::size_t ValueRecordBytes(std::uint32_t length) { return kValueTextOffset + length + std::size_t{1}; }

NlParamEntry* Lookup(NlParameterTable* table, const FoldedKey& key) {
  SetHashTableFunctions(table->index, nlhthskey, nlhthteq);
  return static_cast<NlParamEntry*>(nlhthget(table->index, key.text(), key.length()));
}

// The entry of the key, made for the binding and indexed when there is none yet. One probe
// serves the lookup and the insertion. Returns 0, 402 or 406.
std::int32_t FindOrAddEntry(NlParameterTable* table, const FoldedKey& key, NlParamBinding* binding, bool regression,
                            NlParamEntry** entry, bool* added) {
  SetHashTableFunctions(table->index, nlhthskey, nlhthteq);
  const HashProbe probe = key.hash_known() ? ProbeForKeyWithHash(table->index, key.text(), key.length(), key.hash())
                                           : ProbeForKey(table->index, key.text(), key.length());
  *added = !probe.found;
  if (probe.found) {
    *entry = static_cast<NlParamEntry*>(table->index->slots[probe.slot].value);
    return 0;
  }
  NlParamEntry* fresh = NewEntry(table, key, binding, regression);
  if (fresh == nullptr) return NLE_PARAM_NO_MEMORY;
  if (InsertAtProbe(table->index, probe, fresh->key, fresh->key_length, fresh) == nullptr) {
    ReleaseRecord(table, fresh, sizeof(NlParamEntry));
    return NLE_PARAM_INDEX_FAILED;
  }
  *entry = fresh;
  return 0;
}

}  // namespace

NlParamValue* NewParamValue(NlParameterTable* table, const char* text, std::uint32_t length) {
  auto* value = static_cast<NlParamValue*>(CarveRecord(table, ValueRecordBytes(length)));
  if (value == nullptr) return nullptr;
  value->text = reinterpret_cast<char*>(value) + kValueTextOffset;
  if (text != nullptr && length > 0) std::memcpy(value->text, text, length);
  value->text[length] = '\0';
  value->elements = nullptr;
  value->text_length = length;
  value->element_count = 0;
  value->reference_count = 0;
  return value;
}

NlParamBinding* NewParamBinding(NlParameterTable* table, const char* name, std::uint32_t length) {
  auto* binding = static_cast<NlParamBinding*>(CarveRecord(table, BindingRecordBytes(length)));
  if (binding == nullptr) return nullptr;
  binding->name = BindingNameStorage(binding);
  if (name != nullptr && length > 0) std::memcpy(binding->name, name, length);
  binding->name[length] = '\0';
  binding->value = nullptr;
  binding->next = nullptr;
  binding->name_length = length;
  return binding;
}

void ReleaseValueReference(NlParameterTable* table, NlParamValue* value) {
  if (value == nullptr) return;
  value->reference_count -= 1;
  if (value->reference_count >= 1) return;
  ReleaseRecord(table, value->elements, value->text_length + std::size_t{1});
  ReleaseRecord(table, value, ValueRecordBytes(value->text_length));
}

void ReleaseBinding(NlParameterTable* table, NlParamBinding* binding) {
  ReleaseRecord(table, binding, BindingRecordBytes(binding->name_length));
}

namespace {

// nlhthskey shifts the hash 3 bits further for every later byte: only a key's last 11 bytes
// reach the 32-bit value.
constexpr std::uint32_t kHashedTail = 11;

// Whether any byte of a word lies between 'A' and 'Z' (bytes above 127 never do), all bytes at once.
bool HasUpperCaseLetter(std::uint64_t word) {
  constexpr std::uint64_t kOnes = ~std::uint64_t{0} / 255;
  const std::uint64_t low7 = word & kOnes * 127;
  return ((kOnes * (127 + 'Z' + 1) - low7) & ~word & (low7 + kOnes * (127 - ('A' - 1))) & kOnes * 128) != 0;
}

std::uint32_t TailHash(const unsigned char* bytes, std::uint32_t length) {
  std::uint32_t hash = 0;
  if (length >= kHashedTail) {
    // Spelt out: the terms are independent, so they need not wait for each other.
    const unsigned char* t = bytes + length - kHashedTail;
    const auto at = [t](int i, int shift) { return static_cast<std::uint32_t>(t[i]) << shift; };
    return at(0, 30) + at(1, 27) + at(2, 24) + at(3, 21) + at(4, 18) + at(5, 15) + at(6, 12) + at(7, 9) + at(8, 6) +
           at(9, 3) + at(10, 0);
  }
  for (std::uint32_t i = 0; i < length; ++i) hash = hash * 8 + bytes[i];
  return hash;
}

}  // namespace

FoldedNameHash FoldedNameHash::Of(const char* name, std::uint32_t length, const CaseFolding& folding) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(name);
  if (folding.ascii_letters_only) {
    // The usual name has no capital: eight bytes are looked at in one step, and the hash is that
    // of the name as it stands.
    const auto word_at = [bytes](std::uint32_t at) {
      std::uint64_t word;
      std::memcpy(&word, bytes + at, sizeof word);
      return word;
    };
    bool upper = false;
    if (length >= 8) {
      // The last word overlaps the one before it rather than leaving bytes for a loop.
      for (std::uint32_t i = 0; i + 8 < length && !upper; i += 8) upper = HasUpperCaseLetter(word_at(i));
      upper = upper || HasUpperCaseLetter(word_at(length - 8));
    } else {
      for (std::uint32_t i = 0; i < length && !upper; ++i) upper = bytes[i] >= 'A' && bytes[i] <= 'Z';
    }
    if (!upper) return FoldedNameHash{TailHash(bytes, length), true};
  }
  unsigned changed = 0;
  std::uint32_t hash = 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    const unsigned char lower = folding.lower[bytes[i]];
    changed |= lower ^ bytes[i];
    hash = hash * 8 + lower;
  }
  return FoldedNameHash{hash, changed == 0};
}

CaseFolding CaseFolding::FromRuntime() {
  CaseFolding folding;
  folding.ascii_letters_only = true;
  for (int c = 0; c < 256; ++c) {
    folding.lower[c] = static_cast<unsigned char>(std::isupper(c) ? std::tolower(c) : c);
    const int expected = c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
    if (folding.lower[c] != expected) folding.ascii_letters_only = false;
  }
  return folding;
}

std::int32_t StoreBinding(NlParameterTable* table, NlParamBinding* binding, NlParamValue* value, bool regression,
                          const CaseFolding* folding, const FoldedNameHash* known) {
  FoldedKey key(binding->name, binding->name_length, folding, known);
  if (key.text() == nullptr) return NLE_PARAM_NO_MEMORY;
  NlParamEntry* entry = nullptr;
  bool new_entry = false;
  if (const std::int32_t code = FindOrAddEntry(table, key, binding, regression, &entry, &new_entry)) return code;
  NlParamBinding* replaced = nullptr;
  if (!LinkBinding(table, entry, binding, &replaced)) return NLE_PARAM_NO_MEMORY;
  binding->value = value;
  // The reference is taken before the binding replaced lets go of its value: in `A, A = v` that
  // is this very value.
  value->reference_count += 1;
  if (replaced != nullptr) {
    ReleaseValueReference(table, replaced->value);
    // The binding whose name is the entry's key stays where it is, unlinked, with the entry.
    if (replaced->name != entry->key) ReleaseBinding(table, replaced);
  }
  if (new_entry && regression) WriteRegressionLine(table, binding);
  return 0;
}

NlParamEntry* FindEntry(NlParameterTable* table, const char* name, std::uint32_t length, bool* out_of_memory) {
  FoldedKey key(name, length);
  if (key.text() == nullptr) {
    if (out_of_memory != nullptr) *out_of_memory = true;
    return nullptr;
  }
  return Lookup(table, key);
}

void TearDownParameterTable(NlParameterTable* table) {
  // Every entry, binding, value and element buffer is a record of the arena, so they all go
  // with its chunks without being visited one by one.
  ReleaseChunks(table);
  ReleaseSpellingIndex(table);
  nlhthfre(table->index);
  table->index = nullptr;
  ReleaseRecordArena(table);
  table->flags |= NLPA_RELEASE_RECORD;
  Release(table);
}

}  // namespace kelnl
