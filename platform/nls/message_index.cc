#include "platform/nls/message_index.h"

#include <algorithm>

#include "platform/core/allocator.h"

namespace kelnl::nls {
namespace {

// Numbers have five digits in the files; nine keep any value within 32 bits.
constexpr std::size_t kMaxDigits = 9;

// The library is built without exceptions: string_view members that may throw (substr,
// compare with positions) are avoided, since they would also pull the runtime's exception
// support into the DLL.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view line, std::size_t* at) {
  while (*at < line.size() && IsBlank(line[*at])) ++*at;
}

bool ReadNumber(std::string_view line, std::size_t* at, std::uint32_t* value) {
  std::size_t digits = 0;
  std::uint32_t result = 0;
  while (*at < line.size() && line[*at] >= '0' && line[*at] <= '9') {
    if (++digits > kMaxDigits) return false;
    result = result * 10 + static_cast<std::uint32_t>(line[*at] - '0');
    ++*at;
  }
  *value = result;
  return digits > 0;
}

bool ReadComma(std::string_view line, std::size_t* at) {
  SkipBlanks(line, at);
  if (*at >= line.size() || line[*at] != ',') return false;
  ++*at;
  SkipBlanks(line, at);
  return true;
}

// Calls visit(line, offset of the line) for every line of the text.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    visit(std::string_view(text.data() + start, end - start), start);
    start = end + 1;
  }
}

}  // namespace

MessageLine ParseMessageLine(std::string_view line) {
  MessageLine parsed{LineKind::kMalformed, 0, 0, 0};
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t at = 0;
  SkipBlanks(line, &at);
  if (at == line.size()) return MessageLine{LineKind::kBlank, 0, 0, 0};
  if (line.size() - at >= 2 && line[at] == '/' && line[at + 1] == '/') {
    return MessageLine{LineKind::kComment, 0, 0, 0};
  }

  std::uint32_t number = 0;
  std::uint32_t reserved = 0;
  if (!ReadNumber(line, &at, &number) || !ReadComma(line, &at)) return parsed;
  if (!ReadNumber(line, &at, &reserved) || !ReadComma(line, &at)) return parsed;
  if (at >= line.size() || line[at] != '"') return parsed;
  const std::size_t text_start = at + 1;
  const std::size_t closing = line.rfind('"');
  if (closing < text_start) return parsed;
  for (std::size_t rest = closing + 1; rest < line.size(); ++rest) {
    if (!IsBlank(line[rest])) return parsed;
  }
  return MessageLine{LineKind::kMessage, number, text_start, closing - text_start};
}

bool BuildMessageIndex(std::string_view text, MessageIndex* index) {
  *index = MessageIndex{nullptr, 0, 0};
  if (text.size() > kMaxMessageFileBytes) return false;

  std::uint32_t messages = 0;
  ForEachLine(text, [&](std::string_view line, std::size_t) {
    const LineKind kind = ParseMessageLine(line).kind;
    if (kind == LineKind::kMessage) ++messages;
    if (kind == LineKind::kMalformed) ++index->malformed_lines;
  });
  if (messages == 0) return true;

  auto* entries = static_cast<MessageIndexEntry*>(Allocate(messages * sizeof(MessageIndexEntry)));
  if (entries == nullptr) {
    *index = MessageIndex{nullptr, 0, 0};
    return false;
  }
  std::uint32_t filled = 0;
  ForEachLine(text, [&](std::string_view line, std::size_t line_offset) {
    const MessageLine parsed = ParseMessageLine(line);
    if (parsed.kind != LineKind::kMessage) return;
    entries[filled++] = MessageIndexEntry{parsed.number,
                                          static_cast<std::uint32_t>(line_offset + parsed.text_start),
                                          static_cast<std::uint32_t>(parsed.text_length)};
  });
  // Sorting by offset within a number keeps the first definition in front, where unique keeps it.
  std::sort(entries, entries + filled, [](const MessageIndexEntry& a, const MessageIndexEntry& b) {
    return a.number != b.number ? a.number < b.number : a.offset < b.offset;
  });
  MessageIndexEntry* end = std::unique(entries, entries + filled,
      [](const MessageIndexEntry& a, const MessageIndexEntry& b) { return a.number == b.number; });
  index->entries = entries;
  index->count = static_cast<std::uint32_t>(end - entries);
  return true;
}

void ReleaseMessageIndex(MessageIndex* index) {
  Release(index->entries);
  *index = MessageIndex{nullptr, 0, 0};
}

const MessageIndexEntry* FindMessage(const MessageIndex& index, std::uint32_t number) {
  const MessageIndexEntry* begin = index.entries;
  const MessageIndexEntry* end = begin + index.count;
  const MessageIndexEntry* found = std::lower_bound(begin, end, number,
      [](const MessageIndexEntry& entry, std::uint32_t wanted) { return entry.number < wanted; });
  return found != end && found->number == number ? found : nullptr;
}

}  // namespace kelnl::nls
