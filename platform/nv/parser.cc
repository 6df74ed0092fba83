#include "platform/nv/parser.h"

#include <array>
#include <cstring>

#include "platform/nv/arena.h"
#include "platform/nv/errors.h"
#include "platform/nv/nv_memory.h"

namespace kelnv {
namespace {

enum CharClass : std::uint8_t {
  kNameChar,  // may stand in a name, and is ordinary in an atom
  kSpace,
  kOpen,
  kClose,
  kEquals,
  kQuote,
  kBackslash,
};

constexpr std::array<std::uint8_t, 256> MakeClassTable() {
  std::array<std::uint8_t, 256> table{};
  table[' '] = table['\t'] = table['\r'] = table['\n'] = kSpace;
  table['('] = kOpen;
  table[')'] = kClose;
  table['='] = kEquals;
  table['"'] = table['\''] = kQuote;
  table['\\'] = kBackslash;
  return table;
}
constexpr std::array<std::uint8_t, 256> kClassOf = MakeClassTable();

// Quotes and backslashes are plain characters in a name; they only matter in atoms.
constexpr bool IsNameClass(std::uint8_t c) { return c == kNameChar || c == kQuote || c == kBackslash; }

// A parse tries to fit the whole tree in its first chunk: typical descriptor text grows about
// fivefold into nodes. Memory a chunk reserves but never uses is not touched, so a generous
// estimate costs address space, not pages. Should the estimate fall short, each further chunk
// doubles the last. One large block per tree also suits C heaps that adapt their thresholds to
// the block sizes they see, so that repeated parses reuse memory instead of faulting in pages
// the heap has just returned to the system.
constexpr std::size_t kChunkBytesPerTextByte = 6;
constexpr std::size_t kSmallestChunk = 256;
constexpr std::size_t kLargestChunk = std::size_t{64} * 1024 * 1024;

std::size_t FirstChunkBytes(std::size_t text_length) {
  if (text_length > kLargestChunk / kChunkBytesPerTextByte) return kLargestChunk;
  const std::size_t estimate = text_length * kChunkBytesPerTextByte;
  return estimate < kSmallestChunk ? kSmallestChunk : estimate;
}

// One pass over the text with an explicit stack of open lists. Finished bindings wait in
// pending_ until the list around them closes; only then is the list's node made, with exactly
// as many inline slots as it has sub-bindings. Whatever is still pending when parsing fails is
// released by the destructor.
class Parser {
 public:
  explicit Parser(std::string_view text)
      : text_(text.data()),
        length_(text.size()),
        arena_(FirstChunkBytes(text.size()), kLargestChunk) {}
  ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  std::int32_t Run(Binding** result);
  std::size_t offset() const { return position_; }

 private:
  struct OpenList {
    std::string_view name;
    std::size_t first_pending;
  };

  std::uint8_t ClassAt(std::size_t position) const {
    return kClassOf[static_cast<unsigned char>(text_[position])];
  }
  bool AtEnd() const { return position_ == length_; }
  void SkipSpace() {
    while (position_ < length_ && ClassAt(position_) == kSpace) ++position_;
  }

  std::int32_t ParseBindingHead(Binding** finished);
  std::int32_t ScanName(std::string_view* name);
  std::int32_t ScanAtom(std::string_view* atom);
  std::int32_t SkipQuoted();
  std::int32_t AfterBinding(Binding* finished, bool* root_done);
  std::int32_t CloseList();
  bool AddPending(Binding* binding);

  const char* text_;
  std::size_t length_;
  std::size_t position_ = 0;
  Arena arena_;
  OpenList open_[kMaxDepth];
  int open_count_ = 0;
  Binding** pending_ = nullptr;
  std::size_t pending_count_ = 0;
  std::size_t pending_capacity_ = 0;
};

Parser::~Parser() {
  for (std::size_t i = 0; i < pending_count_; ++i) DestroyTree(pending_[i]);
  Release(pending_);
}

std::int32_t Parser::Run(Binding** result) {
  const void* nul = length_ != 0 ? std::memchr(text_, '\0', length_) : nullptr;
  if (nul != nullptr) {
    position_ = static_cast<std::size_t>(static_cast<const char*>(nul) - text_);
    return NLNV_ERROR_NUL;
  }
  SkipSpace();
  if (AtEnd()) return NLNV_ERROR_EMPTY;
  if (ClassAt(position_) != kOpen) return NLNV_ERROR_OPEN;
  for (;;) {
    // Here position_ is at the '(' of the next binding.
    if (open_count_ + 1 > kMaxDepth) return NLNV_ERROR_DEPTH;
    Binding* finished = nullptr;
    std::int32_t status = ParseBindingHead(&finished);
    if (status != kOk) return status;
    if (finished == nullptr) continue;  // a list opened; its first sub-binding follows
    bool root_done = false;
    status = AfterBinding(finished, &root_done);
    if (status != kOk) return status;
    if (root_done) break;
  }
  SkipSpace();
  if (!AtEnd()) return NLNV_ERROR_TRAILING;
  *result = pending_[0];
  pending_count_ = 0;
  return kOk;
}

// Reads "(name=" and the value's start. An atom or an empty list finishes the binding, which is
// handed back in *finished; a list with sub-bindings is pushed open instead (*finished null) and
// position_ is left at its first sub-binding.
std::int32_t Parser::ParseBindingHead(Binding** finished) {
  ++position_;  // the '('
  std::string_view name;
  std::int32_t status = ScanName(&name);
  if (status != kOk) return status;
  ++position_;  // the '='
  SkipSpace();
  if (AtEnd()) return NLNV_ERROR_CLOSE;
  const std::uint8_t value_class = ClassAt(position_);
  if (value_class == kOpen) {
    open_[open_count_++] = {name, pending_count_};
    return kOk;
  }
  if (value_class == kClose) {
    ++position_;
    *finished = MakeList(arena_, name, 0);
    return *finished == nullptr ? NLNV_ERROR_MEMORY : kOk;
  }
  std::string_view atom;
  status = ScanAtom(&atom);
  if (status != kOk) return status;
  ++position_;  // the ')'
  *finished = MakeAtom(arena_, name, atom);
  return *finished == nullptr ? NLNV_ERROR_MEMORY : kOk;
}

// Leaves position_ at the '=' that ends the name.
std::int32_t Parser::ScanName(std::string_view* name) {
  SkipSpace();
  const std::size_t start = position_;
  while (position_ < length_ && IsNameClass(ClassAt(position_))) ++position_;
  *name = std::string_view(text_ + start, position_ - start);
  SkipSpace();
  if (AtEnd()) return NLNV_ERROR_CLOSE;
  if (name->empty()) return NLNV_ERROR_NAME;
  return ClassAt(position_) == kEquals ? kOk : NLNV_ERROR_EQUALS;
}

// Leaves position_ at the ')' that closes the binding. White space inside the atom is kept, and
// so is white space that is escaped or quoted at its end: only plain trailing blanks are cut,
// so that the atom written back parses to the same atom.
std::int32_t Parser::ScanAtom(std::string_view* atom) {
  const std::size_t start = position_;
  std::size_t end = position_;
  while (position_ < length_) {
    switch (ClassAt(position_)) {
      case kClose:
        *atom = std::string_view(text_ + start, end - start);
        return kOk;
      case kOpen:
        return NLNV_ERROR_PAREN;
      case kSpace:
        ++position_;
        continue;
      case kBackslash:
        if (position_ + 1 == length_) return NLNV_ERROR_QUOTE;
        position_ += 2;
        break;
      case kQuote: {
        const std::int32_t status = SkipQuoted();
        if (status != kOk) return status;
        break;
      }
      default:
        do {
          ++position_;
        } while (position_ < length_ && ClassAt(position_) == kNameChar);
        break;
    }
    end = position_;
  }
  return NLNV_ERROR_CLOSE;
}

// From an opening quote to just past its partner. A backslash escapes inside quotes as well.
std::int32_t Parser::SkipQuoted() {
  const std::size_t opening = position_;
  const char quote = text_[position_++];
  while (position_ < length_) {
    const char c = text_[position_];
    if (c == quote) {
      ++position_;
      return kOk;
    }
    position_ += c == '\\' ? 2 : 1;
  }
  position_ = opening;
  return NLNV_ERROR_QUOTE;
}

// After a finished binding: closes every list that ends here, and stops at the '(' of the next
// sibling or when the outermost binding is done.
std::int32_t Parser::AfterBinding(Binding* finished, bool* root_done) {
  if (!AddPending(finished)) {
    DestroyTree(finished);
    return NLNV_ERROR_MEMORY;
  }
  for (;;) {
    if (open_count_ == 0) {
      *root_done = true;
      return kOk;
    }
    SkipSpace();
    if (AtEnd()) return NLNV_ERROR_CLOSE;
    const std::uint8_t next = ClassAt(position_);
    if (next == kOpen) return kOk;
    if (next != kClose) return NLNV_ERROR_CLOSE;
    ++position_;
    const std::int32_t status = CloseList();
    if (status != kOk) return status;
  }
}

// Makes the innermost open list's node and moves its pending sub-bindings into it; the list
// itself becomes pending in its parent.
std::int32_t Parser::CloseList() {
  const OpenList& top = open_[open_count_ - 1];
  const std::size_t count = pending_count_ - top.first_pending;
  if (count > UINT32_MAX) return NLNV_ERROR_MEMORY;
  Binding* list = MakeList(arena_, top.name, static_cast<std::uint32_t>(count));
  if (list == nullptr) return NLNV_ERROR_MEMORY;
  for (std::size_t i = 0; i < count; ++i) {
    Binding* child = pending_[top.first_pending + i];
    list->children[i] = child;
    child->parent = list;
  }
  list->child_count = static_cast<std::uint32_t>(count);
  pending_count_ = top.first_pending;
  --open_count_;
  // The pending array just shrank by count >= 1, so this cannot need memory.
  pending_[pending_count_++] = list;
  return kOk;
}

bool Parser::AddPending(Binding* binding) {
  if (pending_count_ == pending_capacity_) {
    const std::size_t capacity = pending_capacity_ == 0 ? 64 : pending_capacity_ * 2;
    void* grown = Reallocate(pending_, sizeof(Binding*) * capacity);
    if (grown == nullptr) return false;
    pending_ = static_cast<Binding**>(grown);
    pending_capacity_ = capacity;
  }
  pending_[pending_count_++] = binding;
  return true;
}

}  // namespace

std::int32_t ParseText(std::string_view text, Binding** result, std::size_t* error_offset) {
  Parser parser(text);
  const std::int32_t status = parser.Run(result);
  *error_offset = status == kOk ? 0 : parser.offset();
  return status;
}

}  // namespace kelnv
