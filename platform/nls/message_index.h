// The index of a message file: where each message's text lies in the file, sorted by number.
#ifndef KELNL_PLATFORM_NLS_MESSAGE_INDEX_H
#define KELNL_PLATFORM_NLS_MESSAGE_INDEX_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelnl::nls {

// Offsets are 32-bit, and nothing sensible is that large: bigger files are refused.
inline constexpr std::size_t kMaxMessageFileBytes = 1u << 20;

struct MessageIndexEntry {
  std::uint32_t number;
  std::uint32_t offset;  // of the text's first character in the file
  std::uint32_t length;
};

struct MessageIndex {
  MessageIndexEntry* entries;  // library allocator; null when the file has no message
  std::uint32_t count;
  std::uint32_t malformed_lines;
};

enum class LineKind { kBlank, kComment, kMessage, kMalformed };

struct MessageLine {
  LineKind kind;
  std::uint32_t number;
  std::size_t text_start;   // within the line
  std::size_t text_length;
};

// Reads one line (without its line feed; a trailing carriage return is ignored):
//   NNNNN, 00000, "text"   with blanks allowed around the commas, or a // comment.
// The text runs to the last double quote, so it may itself contain double quotes.
MessageLine ParseMessageLine(std::string_view line);

// Indexes the whole text of a message file. A malformed line is counted and skipped, so one bad
// line does not cost the file's other messages; of two lines with the same number the first
// wins. Returns false when memory runs out or the text is too large (index left empty).
bool BuildMessageIndex(std::string_view text, MessageIndex* index);
void ReleaseMessageIndex(MessageIndex* index);

const MessageIndexEntry* FindMessage(const MessageIndex& index, std::uint32_t number);

}  // namespace kelnl::nls

#endif
