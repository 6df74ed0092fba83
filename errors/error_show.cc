// nlershow: one numbered message of a context written to its log.
//
// The message is built and written by ShowMessage, which never signals; nlershow ends its
// variable argument list before it signals what went wrong, since a signal leaves by longjmp.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "kelnl/nlda.h"
#include "kelnl/nlds.h"
#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"

namespace {

constexpr std::size_t kLineBytes = 512;
// The message follows the date within this many characters, leaving room for two newlines.
constexpr std::size_t kMessageRoom = 510;
constexpr char kDateSeparator[] = ": ";
// Without a capacity in the record, the most its 8-bit text_length can report, and a terminator.
constexpr std::size_t kDefaultRecordTextBytes = 256;
constexpr std::size_t kLongestRecordText = 255;
constexpr std::int32_t kMissingContext = 1;

enum class Failure { kNone, kResignal, kNoLogStream };

struct ShowResult {
  Failure failure;
  std::int32_t code;
};

void FormatIntoRecord(NlPrimaryErrorRecord* record, const char* message, va_list* arguments) {
  if (record == nullptr || record->text == nullptr) return;
  const std::size_t capacity = record->text_length != 0 ? record->text_length : kDefaultRecordTextBytes;
  const int length = std::vsnprintf(record->text, capacity, message, *arguments);
  std::size_t kept = length > 0 ? static_cast<std::size_t>(length) : 0;
  if (kept > capacity - 1) kept = capacity - 1;
  if (kept > kLongestRecordText) kept = kLongestRecordText;
  record->text_length = static_cast<std::uint8_t>(kept);
}

ShowResult ShowMessage(NlGlobalContext* context, std::int32_t emfi, std::int32_t indent, std::int32_t flags,
                       std::uint32_t error, va_list* arguments) {
  NlPrimaryErrorRecord* const primary = context->primary_errors;
  char line[kLineBytes];
  line[0] = '\0';
  std::size_t used = 0;
  if (flags & NL_SHOW_DATE) {
    if (const std::int32_t code = nldatxt(context, line, sizeof line, &used)) return {Failure::kResignal, code};
    std::memcpy(line + used, kDateSeparator, sizeof kDateSeparator);
    used += sizeof kDateSeparator - 1;
  }
  if (context->log_stream == nullptr) return {Failure::kNoLogStream, NLE_SHOW_NO_LOG};

  const std::size_t message_start = used;
  const bool to_record = indent == NL_SHOW_TO_RECORD;
  std::size_t message_length = 0;
  // The record mode is chosen through the indent; it is not an indent of its own.
  const std::int32_t code =
      nlemgmz(primary, context->message_facility, emfi, error, 0, 0, to_record ? 0 : indent,
              (flags & NL_SHOW_NO_PREFIX) ? 0 : 1, line + used, kMessageRoom - used, &message_length);
  if (code != 0) {
    nlerlpe(context->error_stack, primary);
    return {Failure::kResignal, code};
  }
  used += message_length;
  if ((flags & NL_SHOW_END_LINE) && (used == 0 || line[used - 1] != '\n')) line[used++] = '\n';
  if (flags & NL_SHOW_NEWLINE) line[used++] = '\n';
  line[used] = '\0';

  std::int32_t written = 0;
  if (to_record) {
    FormatIntoRecord(primary, line + message_start, arguments);
  } else {
    written = nldsvfprintf(primary, context->log_stream, line, *arguments);
  }
  const std::int32_t flushed = nldsflush(primary, context->log_stream);
  if (written != 0 || flushed != 0) {
    nlerlpe(context->error_stack, primary);
    return {Failure::kResignal, written != 0 ? written : flushed};
  }
  return {Failure::kNone, 0};
}

}  // namespace

extern "C" int32_t nlershow(NlGlobalContext* context, int32_t emfi, int32_t indent, int32_t flags,
                            uint32_t error, ...) {
  if (context == nullptr) return kMissingContext;
  va_list arguments;
  va_start(arguments, error);
  const ShowResult result = ShowMessage(context, emfi, indent, flags, error, &arguments);
  va_end(arguments);
  switch (result.failure) {
    case Failure::kNone:
      return 0;
    case Failure::kNoLogStream:
      nlersec(context->error_stack, 1, NLE_SHOW_NO_LOG, 0);
      return NLE_SHOW_NO_LOG;
    case Failure::kResignal:
      nlerrse(context->error_stack);
      return result.code;
  }
  return 0;
}
