#include "diagnostics/trace_writer.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "context/context_lock.h"
#include "diagnostics/stream_report.h"
#include "kelnl/nlda.h"
#include "kelnl/nlstd.h"
#include "kelnl/snlpc.h"

namespace kelnl::diagnostics {
namespace {

// A line is formatted here first and reaches the stream in one write, so that the ring can only
// move on between records. Longer records take two writes (prefix, then text) with the ring held
// still in between.
constexpr std::size_t kLineCapacity = 1024;
constexpr std::size_t kBytesPerDumpLine = 8;
constexpr std::size_t kComponentLimit = 255;
static_assert(kLineCapacity > 400, "a prefix (at most about 320 characters) and a dump line must fit");

// What a record or dump line shows in front of its text, and the trace_mutex held meanwhile.
class RecordScope {
 public:
  explicit RecordScope(NlDiagStream* stream)
      : owner_(stream->trace), context_(owner_ != nullptr ? owner_->context : nullptr) {
    if (context_ == nullptr || context_->thread_context == nullptr) {
      context_ = nullptr;
    } else {
      LockContextMutex(context_, &context_->trace_mutex);
      NlOsErrorRecord os{};
      has_thread_id_ = snlpcgtid(&os, &thread_id_) == 0;
    }
    if (owner_ != nullptr && (owner_->flags & NLDT_FLAG_TIME_STAMPS) != 0) {
      std::size_t length = 0;
      if (nldatxt(owner_->context, time_stamp_, sizeof time_stamp_, &length) != 0) time_stamp_[0] = '\0';
      has_time_stamp_ = true;
    }
  }
  ~RecordScope() {
    if (context_ != nullptr) UnlockContextMutex(context_, &context_->trace_mutex);
  }
  RecordScope(const RecordScope&) = delete;
  RecordScope& operator=(const RecordScope&) = delete;

  // Where a line for stream goes: a file of a ring writes to the file the ring stands at now.
  // The caller took the stream from the trace before the mutex was held; another thread may
  // have moved the ring on since.
  NlDiagStream* Target(NlDiagStream* stream) const {
    if ((stream->state & NLDS_STATE_CYCLING) != 0 && owner_ != nullptr && owner_->stream != nullptr) {
      return owner_->stream;
    }
    return stream;
  }

  // Formats the prefix of a line for the stream into buffer; returns its length. Dump lines
  // show the thread id even on a stream that does not cycle (but only beside a component or a
  // time stamp); record lines only on a cycling one.
  std::size_t FormatPrefix(char* buffer, std::size_t size, const NlDiagStream* stream, const char* component,
                           bool dump_line) const {
    const bool cycling = (stream->state & NLDS_STATE_CYCLING) != 0;
    std::size_t used = 0;
    auto append = [&](const char* format, auto... values) {
      const int written = std::snprintf(buffer + used, size - used, format, values...);
      if (written > 0) used += static_cast<std::size_t>(written);
    };
    const auto tid = static_cast<int>(thread_id_);
    if (dump_line && !cycling && has_thread_id_ && has_time_stamp_ && component == nullptr) {
      append("[(%d) %s] ", tid, time_stamp_);
      return used;
    }
    if (has_thread_id_ && (cycling || (dump_line && (component != nullptr || has_time_stamp_)))) append("(%d) ", tid);
    if (cycling) {
      if (has_time_stamp_) {
        append("[%06i %s] ", static_cast<int>(stream->sequence), time_stamp_);
      } else {
        append("[%06i] ", static_cast<int>(stream->sequence));
      }
    } else if (has_time_stamp_) {
      append("[%s] ", time_stamp_);
    }
    // Component names are short; a longer one is cut so that the prefix always fits a line.
    if (component != nullptr) {
      const void* end = std::memchr(component, '\0', kComponentLimit);
      const std::size_t length =
          end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - component) : kComponentLimit;
      std::memcpy(buffer + used, component, length);
      std::memcpy(buffer + used + length, ": ", 3);
      used += length + 2;
    }
    return used;
  }

 private:
  NlTraceContext* owner_;
  NlGlobalContext* context_;
  std::uint32_t thread_id_ = 0;
  bool has_thread_id_ = false;
  bool has_time_stamp_ = false;
  char time_stamp_[NL_DATE_BUFFER_SIZE] = {};
};

std::int32_t WriteFailed(NlPrimaryErrorRecord* errors) { return Fail(errors, NLE_TRACE_WRITE_FAILED); }

// The long path: the prefix alone, with the ring held still so that the text lands in the same
// file, then the text.
std::int32_t WriteInTwoParts(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* prefix,
                             const char* format, va_list arguments) {
  const std::uint8_t state = stream->state;
  stream->state = static_cast<std::uint8_t>(state & ~NLDS_STATE_CYCLING);
  const std::int32_t written = prefix[0] != '\0' ? nldsfprintf(errors, stream, "%s", prefix) : 0;
  stream->state = static_cast<std::uint8_t>(stream->state | (state & NLDS_STATE_CYCLING));
  if (written != 0) return written;
  return nldsvfprintf(errors, stream, format, arguments);
}

// A whole line goes out as one formatted write where that write may move a trace ring on or has
// a meaning of its own for the stream's kind; a plain file that does not cycle takes the bytes
// as they are, which spares formatting the line a second time.
std::int32_t WriteLine(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* line, std::size_t length) {
  if (stream->kind == NLDS_KIND_FILE && (stream->state & NLDS_STATE_CYCLING) == 0) {
    return nldswrite(errors, stream, line, static_cast<std::uint32_t>(length));
  }
  return nldsfprintf(errors, stream, "%s", line);
}

void FormatDumpLine(const std::uint8_t* piece, std::size_t count, char* line) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  char* out = line;
  for (std::size_t i = 0; i < kBytesPerDumpLine; ++i) {
    const std::uint8_t byte = i < count ? piece[i] : 0;
    *out++ = kHex[byte >> 4];
    *out++ = kHex[byte & 0x0F];
    *out++ = ' ';
  }
  *out++ = ' ';
  *out++ = '|';
  for (std::size_t i = 0; i < kBytesPerDumpLine; ++i) {
    const int byte = i < count ? piece[i] : -1;
    const bool shown = byte >= 0 && byte < 128 && (std::isalnum(byte) != 0 || std::ispunct(byte) != 0 || byte == ' ');
    *out++ = shown ? static_cast<char>(byte) : '.';
  }
  *out++ = '|';
  *out++ = '\n';
  *out = '\0';
}

}  // namespace

std::int32_t WriteTraceRecord(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* component,
                              const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::int32_t result = nldtwrite(errors, stream, format, component, arguments);
  va_end(arguments);
  return result;
}

}  // namespace kelnl::diagnostics

using kelnl::diagnostics::kLineCapacity;
using kelnl::diagnostics::RecordScope;
using kelnl::diagnostics::WriteFailed;

extern "C" int32_t nldtwrite(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                             const char* component, va_list arguments) {
  if (stream == nullptr || format == nullptr) return WriteFailed(errors);
  RecordScope scope(stream);
  stream = scope.Target(stream);
  char line[kLineCapacity];
  const std::size_t prefix = scope.FormatPrefix(line, sizeof line, stream, component, false);
  va_list text_arguments;
  va_copy(text_arguments, arguments);
  const int text = std::vsnprintf(line + prefix, sizeof line - prefix, format, text_arguments);
  va_end(text_arguments);
  std::int32_t written = 0;
  if (text >= 0 && static_cast<std::size_t>(text) < sizeof line - prefix) {
    written = kelnl::diagnostics::WriteLine(errors, stream, line, prefix + static_cast<std::size_t>(text));
  } else {
    line[prefix] = '\0';
    written = kelnl::diagnostics::WriteInTwoParts(errors, stream, line, format, arguments);
  }
  if (written != 0 || nldsflush(errors, stream) != 0) return WriteFailed(errors);
  return 0;
}

extern "C" int32_t nldtdump(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* component,
                            const void* data, uint32_t length) {
  using kelnl::diagnostics::kBytesPerDumpLine;
  if (stream == nullptr || (data == nullptr && length != 0)) return WriteFailed(errors);
  // Nothing to show: no line, and no flush of a stream that may never have been opened.
  if (length == 0) return 0;
  RecordScope scope(stream);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  NlDiagStream* target = stream;
  for (std::uint32_t offset = 0; offset < length; offset += kBytesPerDumpLine) {
    // Each line goes wherever the ring is now, so a long dump moves on with it.
    target = scope.Target(stream);
    char line[kLineCapacity];
    const std::size_t prefix = scope.FormatPrefix(line, sizeof line, target, component, true);
    const std::uint32_t count = length - offset < kBytesPerDumpLine ? length - offset : kBytesPerDumpLine;
    kelnl::diagnostics::FormatDumpLine(bytes + offset, count, line + prefix);
    if (nldsfprintf(errors, target, "%s", line) != 0) return WriteFailed(errors);
  }
  if (nldsflush(errors, target) != 0) return WriteFailed(errors);
  return 0;
}
