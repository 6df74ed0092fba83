// A caller's output buffer while a file name is built into it.
#ifndef KELNL_FILES_NAME_BUFFER_H
#define KELNL_FILES_NAME_BUFFER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kelnl::files {

// A text given as pointer and length; a null pointer is an absent (empty) text.
inline std::string_view Text(const char* text, std::uint32_t length) {
  return text == nullptr ? std::string_view() : std::string_view(text, length);
}

// Like string_view::substr, clamped instead of throwing: the library is built without exceptions
// and substr would still pull the C++ runtime's exception support into it.
inline std::string_view Slice(std::string_view text, std::size_t from,
                              std::size_t count = std::string_view::npos) {
  if (from > text.size()) from = text.size();
  const std::size_t rest = text.size() - from;
  return std::string_view(text.data() + from, count < rest ? count : rest);
}

inline char LowerCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerCase(a[i]) != LowerCase(b[i])) return false;
  }
  return true;
}

// size bytes at data, the first length of them in use. Every append checks the room first, so
// a name that does not fit never writes past the buffer; the terminator needs its own byte.
struct NameBuffer {
  char* data;
  std::size_t size;
  std::size_t length;

  std::string_view View() const { return std::string_view(data, length); }
  bool EndsWith(char c) const { return length > 0 && data[length - 1] == c; }

  bool Append(std::string_view text) {
    if (text.size() > size - length) return false;
    if (!text.empty()) std::memcpy(data + length, text.data(), text.size());
    length += text.size();
    return true;
  }
  bool Append(char c) { return Append(std::string_view(&c, 1)); }
  bool AppendLowerCase(std::string_view text) {
    if (text.size() > size - length) return false;
    for (char c : text) data[length++] = LowerCase(c);
    return true;
  }
  bool Terminate() {
    if (length >= size) return false;
    data[length] = '\0';
    return true;
  }
};

}  // namespace kelnl::files

#endif
