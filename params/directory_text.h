// Texts and pair lists the directory converters build: a growing text from the library
// allocator and the operations on a pair list.
#ifndef KELNL_PARAMS_DIRECTORY_TEXT_H
#define KELNL_PARAMS_DIRECTORY_TEXT_H

#include <cstdint>
#include <string_view>

#include "kelnl/nlol.h"

namespace kelnl::params {

// A NUL-terminated text grown by appending. Running out of memory is remembered; later appends
// do nothing and failed() tells the caller once at the end.
class DirectoryText {
 public:
  DirectoryText() = default;
  ~DirectoryText();
  DirectoryText(const DirectoryText&) = delete;
  DirectoryText& operator=(const DirectoryText&) = delete;

  DirectoryText& Append(std::string_view text);
  // The values one after another, or joined with separator.
  DirectoryText& AppendValues(char* const* values, std::string_view separator = {});
  std::string_view view() const { return {data_ != nullptr ? data_ : "", length_}; }
  std::uint32_t length() const { return length_; }
  bool failed() const { return failed_; }
  // Hands the text (an empty one when nothing was appended) to the caller, who releases it with
  // Release; null when memory ran out. The builder is empty afterwards.
  char* Take();

 private:
  char* data_ = nullptr;
  std::uint32_t length_ = 0;
  std::uint32_t capacity_ = 0;
  bool failed_ = false;
};

// A copy of text, terminated, from the library allocator; null when memory ran out.
char* CopyText(std::string_view text);

// Appends a pair (copies of name and value; a null value gives a pair without value). With
// replace, a pair of the same name (ignoring case) gets the value instead. NLOL_OK or
// NLOL_NO_MEMORY (the list is unchanged then).
std::int32_t PutPair(NlolPair*** pairs, std::uint32_t* count, std::string_view name, const char* value,
                     bool replace = false);
// PutPair with built texts; NLOL_NO_MEMORY when either ran out of memory.
std::int32_t PutPair(NlolPair*** pairs, std::uint32_t* count, const DirectoryText& name,
                     const DirectoryText& value, bool replace = false);
// Replaces the value of a pair, releasing the old one; the pair takes the block value (from
// CopyText or DirectoryText::Take, or null).
void SetPairValue(NlolPair* pair, char* value);
// Removes the pair at index, releasing it; the later pairs move up.
void RemovePair(NlolPair** pairs, std::uint32_t* count, std::uint32_t index);

}  // namespace kelnl::params

#endif
