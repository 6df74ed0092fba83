// Formatting one numbered message: indent, "FAC-NNNNN: " prefix and text.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "errors/message_facility_internal.h"
#include "kelnl/nlerrors.h"
#include "platform/nls/nls.h"

namespace kelnl::messages {
namespace {

// The prefix is the facility name and 8 characters: a hyphen, five digits, a colon and a blank.
constexpr std::size_t kPrefixExtra = 8;
// Without a message file the arguments still show as placeholders that the error printer fills.
constexpr std::string_view kPlaceholderLead = "\t  ";
constexpr std::string_view kPlaceholder = " [%s]";
constexpr std::int32_t kMostPlaceholders = 7;

// Appends to a terminated text in a buffer, cutting what does not fit before the last byte.
class TextBuilder {
 public:
  TextBuilder(char* buffer, std::size_t size) : buffer_(buffer), size_(size) { buffer_[0] = '\0'; }

  std::size_t used() const { return used_; }
  std::size_t room() const { return size_ - used_ - 1; }  // characters that still fit
  char* end() const { return buffer_ + used_; }

  void Append(std::string_view text) {
    const std::size_t length = text.size() < room() ? text.size() : room();
    std::memcpy(end(), text.data(), length);
    used_ += length;
    buffer_[used_] = '\0';
  }
  void AppendSpaces(std::size_t count) {
    if (count > room()) count = room();
    std::memset(end(), ' ', count);
    used_ += count;
    buffer_[used_] = '\0';
  }
  // Records what a writer put at end() (terminated, within the room left).
  void Advance(std::size_t length) { used_ += length; }

 private:
  char* buffer_;
  std::size_t size_;
  std::size_t used_ = 0;
};

void AppendPrefix(TextBuilder& text, const NlEmfi& record, std::uint32_t error) {
  if (text.room() < record.facility_name_length + kPrefixExtra) return;
  char prefix[NL_EMFI_FACILITY_CAPACITY + 16];
  const int length = std::snprintf(prefix, sizeof prefix, "%s-%05u: ", record.facility_name,
                                   static_cast<unsigned>(error));
  if (length > 0) text.Append(std::string_view(prefix, static_cast<std::size_t>(length)));
}

void AppendPlaceholders(TextBuilder& text, std::int32_t arg_count) {
  text.Append(kPlaceholderLead);
  const std::int32_t count = arg_count < kMostPlaceholders ? arg_count : kMostPlaceholders;
  for (std::int32_t i = 0; i < count; ++i) text.Append(kPlaceholder);
}

}  // namespace
}  // namespace kelnl::messages

extern "C" int32_t nlemgmz(NlPrimaryErrorRecord* primary, NlMessageFacility* facility, int32_t emfi,
                           uint32_t error, int32_t, int32_t arg_count, int32_t indent,
                           int32_t with_prefix, char* buffer, size_t size, size_t* text_length) {
  using namespace kelnl::messages;
  if (text_length != nullptr) *text_length = 0;
  if (buffer != nullptr && size != 0) buffer[0] = '\0';
  if (facility == nullptr) return nlepepe(primary, kLibraryFacility, NLE_NULL_CONTEXT, kRecordedKind);
  NlEmfi* record = nlemfsearch(facility, emfi);
  if (record == nullptr) return NLE_EMFI_NOT_REGISTERED;
  if (buffer == nullptr || size == 0) return 0;

  TextBuilder text(buffer, size);
  // An indent as wide as the buffer loses its last blank: the last byte is the terminator's.
  if (indent > 0 && static_cast<std::size_t>(indent) <= size) text.AppendSpaces(static_cast<std::size_t>(indent));
  if (with_prefix != 0) AppendPrefix(text, *record, error);

  nlemomf(facility, record);  // a file that cannot be opened still gives the fallback text
  {
    RecordLock lock(facility, record);
    text.Advance(lmsagbf(&record->message_file, error, text.end(), text.room() + 1));
    if (record->message_file.status == kLmsNoMessageFile && arg_count > 0) AppendPlaceholders(text, arg_count);
  }
  if (text_length != nullptr) *text_length = text.used();
  return 0;
}
