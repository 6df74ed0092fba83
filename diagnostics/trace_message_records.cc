#include "diagnostics/trace_message_records.h"

#include <cstring>

#include "diagnostics/stream_report.h"
#include "diagnostics/trace_stream.h"
#include "diagnostics/trace_writer.h"
#include "kelnl/nlem.h"
#include "kelnl/nlstd.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::int32_t kTraceMessageFile = 37;
constexpr std::size_t kMessageCapacity = 256;

// The message's text without prefix; empty when there is no message facility to ask.
std::size_t MessageText(const NlTraceContext* trace, std::uint32_t message, char* buffer) {
  buffer[0] = '\0';
  std::size_t length = 0;
  NlMessageFacility* facility = trace->context != nullptr ? trace->context->message_facility : nullptr;
  if (facility == nullptr) return 0;
  if (nlemgmz(nullptr, facility, kTraceMessageFile, message, 0, 0, 0, 0, buffer, kMessageCapacity, &length) != 0) {
    buffer[0] = '\0';
    return 0;
  }
  return length;
}

}  // namespace

bool TextAgreesWithCheckFormat(const char* text, const char* check_format) {
  if (check_format == nullptr) {
    for (const char* p = std::strchr(text, '%'); p != nullptr; p = std::strchr(p + 1, '%')) {
      if (p[1] != ' ') return false;
    }
    return true;
  }
  const char* check = check_format;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '%') continue;
    check = std::strchr(check, '%');
    if (check == nullptr || check[1] != p[1]) return false;
    // Both walks step over the character after their '%', so "%%" is one pair, not two.
    if (p[1] == '\0') break;
    ++p;
    check += 2;
  }
  return true;
}

}  // namespace kelnl::diagnostics

extern "C" int32_t nldtmsgrec(NlPrimaryErrorRecord* errors, NlTraceContext* trace, uint32_t component_message,
                              uint32_t text_message, const char* check_format, uint32_t line, va_list arguments) {
  using namespace kelnl::diagnostics;
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  char component[kMessageCapacity];
  const bool has_component = MessageText(trace, component_message, component) != 0;
  char text[kMessageCapacity + 1];
  std::size_t length = MessageText(trace, text_message, text);
  if ((length == 0 || text[length - 1] != '\n') && length < kMessageCapacity - 1) {
    text[length++] = '\n';
    text[length] = '\0';
  }
  const char* shown = has_component ? component : nullptr;
  if (TextAgreesWithCheckFormat(text, check_format)) return nldtwrite(errors, CurrentTraceStream(trace), text, shown, arguments);
  return WriteTraceRecord(errors, CurrentTraceStream(trace), shown, "Error: Inconsistent trace parameters line: %d\n",
                          static_cast<int>(line));
}

extern "C" int32_t nldtmsgdump(NlPrimaryErrorRecord* errors, NlTraceContext* trace, uint32_t component_message,
                               uint32_t length, const void* data) {
  using namespace kelnl::diagnostics;
  if (trace == nullptr) return Fail(errors, NLE_TRACE_NULL);
  char component[kMessageCapacity];
  MessageText(trace, component_message, component);
  return nldtdump(errors, CurrentTraceStream(trace), component, data, static_cast<std::uint16_t>(length));
}
