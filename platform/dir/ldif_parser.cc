#include "platform/dir/ldif_parser.h"

#include "platform/dir/directory.h"
#include "platform/dir/names.h"

// string_view::substr is avoided throughout: its range check pulls exception support, and with
// it the thread runtime DLL, into the Windows library.

namespace kelnl::dir {

namespace {

enum class LineKind { kEnd, kBlank, kText, kMalformed };

// Hands out logical lines: folded continuation lines joined, comments dropped, line ends of
// either convention.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  // For kText the line is in text(); line_number() is where it (or the fault) starts.
  LineKind Next() {
    for (;;) {
      if (position_ >= text_.size()) return LineKind::kEnd;
      std::string_view physical = TakePhysicalLine();
      line_number_ = physical_number_;
      if (physical.empty()) return LineKind::kBlank;
      // A continuation is consumed with the line it continues; one here continues nothing.
      if (physical[0] == ' ') return LineKind::kMalformed;
      logical_.Clear();
      if (!logical_.AppendAll(physical.data(), physical.size())) return OutOfMemory();
      while (position_ < text_.size() && text_[position_] == ' ') {
        std::string_view continuation = TakePhysicalLine();
        continuation.remove_prefix(1);
        if (!logical_.AppendAll(continuation.data(), continuation.size())) return OutOfMemory();
      }
      if (physical[0] == '#') continue;
      for (std::size_t i = 0; i < logical_.size(); ++i) {
        if (logical_[i] == '\0') return LineKind::kMalformed;
      }
      return LineKind::kText;
    }
  }

  std::string_view text() const { return {logical_.data(), logical_.size()}; }
  std::uint32_t line_number() const { return line_number_; }
  bool out_of_memory() const { return out_of_memory_; }

 private:
  LineKind OutOfMemory() {
    out_of_memory_ = true;
    return LineKind::kMalformed;
  }

  std::string_view TakePhysicalLine() {
    std::size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line(text_.data() + position_, end - position_);
    position_ = end + 1;
    ++physical_number_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  std::string_view text_;
  std::size_t position_ = 0;
  std::uint32_t physical_number_ = 0;
  std::uint32_t line_number_ = 0;
  GrowableArray<char> logical_;
  bool out_of_memory_ = false;
};

bool IsAlphaNumeric(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// An attribute description: a type name or numeric object identifier, then ;options, none empty.
bool IsAttributeDescription(std::string_view name) {
  if (name.empty() || !IsAlphaNumeric(name[0]) || name.back() == ';') return false;
  char previous = '\0';
  for (char c : name) {
    if (!IsAlphaNumeric(c) && c != '-' && c != '.' && c != ';') return false;
    if (c == ';' && previous == ';') return false;
    previous = c;
  }
  return true;
}

// One "name: value" line split and its value decoded into the arena.
struct AttributeLine {
  std::string_view name;
  char* value;
};

enum class LineResult { kOk, kMalformed, kNoMemory };

LineResult SplitLine(std::string_view line, Arena& arena, AttributeLine* out) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return LineResult::kMalformed;
  out->name = std::string_view(line.data(), colon);
  if (!IsAttributeDescription(out->name)) return LineResult::kMalformed;
  std::string_view rest = line;
  rest.remove_prefix(colon + 1);
  const bool base64 = !rest.empty() && rest[0] == ':';
  // A value read from a URL would make the load depend on other files; entries here are self-contained.
  if (!rest.empty() && rest[0] == '<') return LineResult::kMalformed;
  if (base64) rest.remove_prefix(1);
  while (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
  if (!base64) {
    out->value = arena.Copy(rest);
    return out->value == nullptr ? LineResult::kNoMemory : LineResult::kOk;
  }
  auto* decoded = static_cast<char*>(arena.Take(rest.size() / 4 * 3 + 1));
  if (decoded == nullptr) return LineResult::kNoMemory;
  std::size_t length = 0;
  if (!DecodeBase64(rest, decoded, &length)) return LineResult::kMalformed;
  decoded[length] = '\0';
  out->value = decoded;
  return LineResult::kOk;
}

// The attribute lines of one record, grouped by type when the record is complete.
class RecordBuilder {
 public:
  explicit RecordBuilder(Arena& arena) : arena_(arena) {}

  void Start(const char* name, std::uint32_t line) {
    name_ = name;
    line_ = line;
    types_.Clear();
    values_.Clear();
  }

  bool AddValue(std::string_view type, char* value) {
    std::uint32_t index = 0;
    while (index < types_.size() && !SameIgnoringCase(types_[index].type, type)) ++index;
    if (index == types_.size()) {
      const char* copy = arena_.Copy(type);
      if (copy == nullptr || !types_.Append({copy, 0})) return false;
    }
    ++types_[index].count;
    return values_.Append({index, value});
  }

  bool empty() const { return values_.size() == 0; }

  // The finished entry, or null when memory runs out.
  StoredEntry* Finish() {
    auto* entry = arena_.TakeArray<StoredEntry>(1);
    auto* attributes = arena_.TakeArray<StoredAttribute>(types_.size());
    const std::string_view name(name_);
    auto* key = static_cast<char*>(arena_.Take(name.size() + 1));
    if (entry == nullptr || attributes == nullptr || key == nullptr) return nullptr;
    entry->name = name_;
    entry->key_length = NormalizeName(name, key);
    key[entry->key_length] = '\0';
    entry->key = key;
    entry->attributes = attributes;
    entry->attribute_count = static_cast<std::uint32_t>(types_.size());
    entry->line = line_;
    for (std::size_t t = 0; t < types_.size(); ++t) {
      attributes[t].type = types_[t].type;
      attributes[t].values = arena_.TakeArray<char*>(types_[t].count + 1);
      if (attributes[t].values == nullptr) return nullptr;
      attributes[t].values[types_[t].count] = nullptr;
      types_[t].count = 0;  // now the fill position
    }
    for (std::size_t v = 0; v < values_.size(); ++v) {
      PendingType& type = types_[values_[v].type_index];
      attributes[values_[v].type_index].values[type.count++] = values_[v].value;
    }
    return entry;
  }

 private:
  struct PendingType {
    const char* type;
    std::uint32_t count;
  };
  struct PendingValue {
    std::uint32_t type_index;
    char* value;
  };

  Arena& arena_;
  const char* name_ = nullptr;
  std::uint32_t line_ = 0;
  GrowableArray<PendingType> types_;
  GrowableArray<PendingValue> values_;
};

class LdifParser {
 public:
  LdifParser(std::string_view text, EntryStore* store) : lines_(text), store_(store), record_(store->arena()) {}

  std::int32_t Run(std::uint32_t* fault_line) {
    *fault_line = 0;
    std::int32_t code = ReadRecords();
    if (code == 0) {
      const StoredEntry* duplicate = nullptr;
      if (!store_->BuildIndex(&duplicate)) {
        fault_line_ = duplicate->line;
        code = kDirectoryMalformedLdif;
      }
    }
    if (code == kDirectoryMalformedLdif) *fault_line = fault_line_;
    return code;
  }

 private:
  std::int32_t Malformed() {
    if (lines_.out_of_memory()) return kDirectoryNoMemory;
    fault_line_ = lines_.line_number();
    return kDirectoryMalformedLdif;
  }

  std::int32_t ReadRecords() {
    bool first_line = true;
    for (;;) {
      LineKind kind = lines_.Next();
      if (kind == LineKind::kEnd) return 0;
      if (kind == LineKind::kBlank) continue;
      if (kind == LineKind::kMalformed) return Malformed();
      AttributeLine line{};
      LineResult split = SplitLine(lines_.text(), store_->arena(), &line);
      if (split == LineResult::kNoMemory) return kDirectoryNoMemory;
      if (split == LineResult::kMalformed) return Malformed();
      // Only the very first line may name the format version, and only version 1 exists.
      if (first_line && SameIgnoringCase(line.name, "version")) {
        first_line = false;
        if (std::string_view(line.value) != "1") return Malformed();
        continue;
      }
      first_line = false;
      if (!SameIgnoringCase(line.name, "dn")) return Malformed();  // an attribute before any dn
      std::int32_t code = ReadRecord(line.value);
      if (code != 0) return code;
    }
  }

  // The attribute lines after a dn line, up to a blank line or the end.
  std::int32_t ReadRecord(char* name) {
    const std::uint32_t dn_line = lines_.line_number();
    record_.Start(name, dn_line);
    for (;;) {
      LineKind kind = lines_.Next();
      if (kind == LineKind::kMalformed) return Malformed();
      if (kind != LineKind::kText) break;
      AttributeLine line{};
      LineResult split = SplitLine(lines_.text(), store_->arena(), &line);
      if (split == LineResult::kNoMemory) return kDirectoryNoMemory;
      if (split == LineResult::kMalformed) return Malformed();
      // changetype and control only occur in change records, which would alter a directory
      // rather than describe it; a second dn means a missing blank line.
      if (SameIgnoringCase(line.name, "changetype") || SameIgnoringCase(line.name, "control") ||
          SameIgnoringCase(line.name, "dn")) {
        return Malformed();
      }
      if (!record_.AddValue(line.name, line.value)) return kDirectoryNoMemory;
    }
    if (record_.empty()) {  // an entry has at least one attribute
      fault_line_ = dn_line;
      return kDirectoryMalformedLdif;
    }
    StoredEntry* entry = record_.Finish();
    if (entry == nullptr || !store_->Add(entry)) return kDirectoryNoMemory;
    return 0;
  }

  LineReader lines_;
  EntryStore* store_;
  RecordBuilder record_;
  std::uint32_t fault_line_ = 0;
};

}  // namespace

std::int32_t ParseLdif(std::string_view text, EntryStore* store, std::uint32_t* fault_line) {
  // Editors on Windows like to start a UTF-8 file with a byte-order mark.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  LdifParser parser(text, store);
  return parser.Run(fault_line);
}

}  // namespace kelnl::dir
