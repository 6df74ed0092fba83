// The general trace call: a record of message numbers goes to the internal trace or is encoded
// for the external trace library.
#include "diagnostics/trace_bridge.h"

#include <cstdarg>
#include <cstring>

#include "context/context_lock.h"
#include "diagnostics/stream_report.h"
#include "diagnostics/trace_message_records.h"
#include "kelnl/nlstd.h"
#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"
#include "platform/ztrace/ztrace.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::uintptr_t kMinimumBuffer = 8447;
// Room every record must have before it is built; a dump needs its data besides.
constexpr std::uintptr_t kRecordHeadroom = 255;
constexpr std::uint16_t kMaskMarker = 64;
constexpr std::uint16_t kDumpMarker = 4;
// The length field of a text record is 16 bits: arguments that would overflow it are left out.
constexpr std::uint32_t kLongestText = 0xFFFF;
// Where the allocation-failure record says the buffer could not be had.
constexpr std::uint32_t kFirstAllocationLine = 1264;
constexpr std::uint32_t kGrowthLine = 1304;

std::int32_t RecordType(std::uint32_t level) {
  if (level <= 1) return ZT_TYPE_FATAL;
  if (level == 2) return ZT_TYPE_ERROR;
  if (level <= 4) return ZT_TYPE_DETAIL_LOW;
  if (level <= 6) return ZT_TYPE_DETAIL_MID;
  return ZT_TYPE_DETAIL_HIGH;
}

// A record under construction in the trace's record buffer. Every append makes room first;
// when the buffer cannot be had or grown the allocation-failure record goes out instead.
class ExternalRecord {
 public:
  ExternalRecord(NlTraceContext* trace, std::int32_t type) : trace_(trace), type_(type) {
    trace_->record_position = 0;
    trace_->record_length = 0;
  }

  bool MakeRoom(std::uintptr_t extra) {
    const std::uintptr_t needed = trace_->record_position + extra;
    if (needed <= trace_->record_capacity) return true;
    const bool first = trace_->record_buffer == nullptr;
    std::uintptr_t capacity = first ? (needed > kMinimumBuffer ? needed : kMinimumBuffer)
                                    : (2 * needed > 2 * trace_->record_capacity ? 2 * needed
                                                                                : 2 * trace_->record_capacity);
    void* grown = Reallocate(trace_->record_buffer, capacity);
    if (grown == nullptr) {
      SendAllocationFailure(first ? kFirstAllocationLine : kGrowthLine);
      return false;
    }
    trace_->record_buffer = static_cast<std::uint8_t*>(grown);
    trace_->record_capacity = capacity;
    return true;
  }

  bool Append(const void* bytes, std::uintptr_t length) {
    if (!MakeRoom(length)) return false;
    if (length != 0) std::memcpy(trace_->record_buffer + trace_->record_position, bytes, length);
    trace_->record_position += length;
    return true;
  }
  template <typename Integer>
  bool AppendInteger(Integer value) {
    std::uint8_t bytes[sizeof(Integer)];
    for (std::size_t i = 0; i < sizeof(Integer); ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return Append(bytes, sizeof bytes);
  }
  void PatchU16(std::uintptr_t offset, std::uint16_t value) {
    trace_->record_buffer[offset] = static_cast<std::uint8_t>(value);
    trace_->record_buffer[offset + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  std::uintptr_t position() const { return trace_->record_position; }

  void Send(std::uintptr_t external_argument) {
    trace_->record_length = trace_->record_position;
    SendExternalRecord(trace_, type_, trace_->record_buffer, static_cast<std::uint32_t>(trace_->record_length),
                       external_argument);
  }

 private:
  void SendAllocationFailure(std::uint32_t line) {
    std::uint8_t record[14];
    auto put32 = [&](std::size_t at, std::uint32_t value) {
      for (std::size_t i = 0; i < 4; ++i) record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put32(0, NLTR_COMPONENT_TRACE_CALL);
    put32(4, line);
    record[8] = kDumpMarker;
    record[9] = 0;
    put32(10, NLTR_NO_RECORD_MEMORY);
    SendExternalRecord(trace_, type_, record, sizeof record, 0);
  }

  NlTraceContext* trace_;
  std::int32_t type_;
};

// The caller's arguments in the order of the check format's conversions: %c one byte; %d, %u,
// %x and %l with any other character four bytes (the product's long is 32 bits); %s the text
// with its NUL; other conversions carry nothing and take no argument.
bool AppendArguments(ExternalRecord* record, std::uintptr_t text_start, const char* format, va_list* arguments) {
  auto fits = [&](std::uintptr_t more) { return record->position() - text_start + more <= kLongestText; };
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') continue;
    const char conversion = *++p;
    if (conversion == 'c') {
      const auto value = static_cast<std::uint8_t>(va_arg(*arguments, int));
      if (!fits(1)) return true;
      if (!record->AppendInteger(value)) return false;
    } else if (conversion == 'd' || conversion == 'u' || conversion == 'x' || (conversion == 'l' && p[1] != '\0')) {
      std::uint32_t value = 0;
      if (conversion == 'l') {
        value = static_cast<std::uint32_t>(va_arg(*arguments, long));
        ++p;
      } else {
        value = static_cast<std::uint32_t>(va_arg(*arguments, int));
      }
      if (!fits(4)) return true;
      if (!record->AppendInteger(value)) return false;
    } else if (conversion == 's') {
      const char* text = va_arg(*arguments, const char*);
      if (text == nullptr) text = "";
      const std::size_t length = std::strlen(text) + 1;
      if (!fits(length)) return true;
      if (!record->Append(text, length)) return false;
    }
  }
  return true;
}

// The caller's list, copied so that it can be read here and handed on by address.
struct ArgumentList {
  explicit ArgumentList(va_list original) { va_copy(arguments, original); }
  ~ArgumentList() { va_end(arguments); }
  ArgumentList(const ArgumentList&) = delete;
  ArgumentList& operator=(const ArgumentList&) = delete;
  va_list arguments;
};

struct RecordHead {
  std::uint32_t component_message;
  std::uint32_t line;
  const std::uint8_t* mask;
};

bool BuildTextRecord(ExternalRecord* record, const RecordHead& head, std::uint32_t text_message,
                     const char* check_format, va_list* arguments) {
  if (!record->MakeRoom(kRecordHeadroom)) return false;
  record->AppendInteger(head.component_message);
  record->AppendInteger(head.line);
  const std::uintptr_t length_field = record->position();
  record->AppendInteger(std::uint16_t{0});
  const std::uintptr_t text_start = record->position();
  record->AppendInteger(text_message);
  if (check_format != nullptr && check_format[0] != '\0') {
    const std::size_t format_length = std::strlen(check_format) + 1;
    if (format_length <= kLongestText - sizeof text_message) {
      if (!record->Append(check_format, format_length)) return false;
      if (!AppendArguments(record, text_start, check_format, arguments)) return false;
    }
  }
  record->PatchU16(length_field, static_cast<std::uint16_t>(record->position() - text_start));
  return record->AppendInteger(kMaskMarker) && record->Append(head.mask, NLDT_EVENT_MASK_BYTES);
}

bool BuildDumpRecord(ExternalRecord* record, const RecordHead& head, std::uint32_t value, std::uint16_t length,
                     const void* data) {
  if (!record->MakeRoom(std::uintptr_t{length} + kRecordHeadroom)) return false;
  record->AppendInteger(head.component_message);
  record->AppendInteger(head.line);
  record->AppendInteger(kDumpMarker);
  record->AppendInteger(value);
  record->AppendInteger(length);
  return record->Append(data, data != nullptr ? length : 0) && record->AppendInteger(kMaskMarker) &&
         record->Append(head.mask, NLDT_EVENT_MASK_BYTES);
}

}  // namespace

void SendExternalRecord(NlTraceContext* trace, std::int32_t type, const void* record, std::uint32_t length,
                        uintptr_t external_argument) {
  (void)zt18_write(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, type, 0, record, length, 0, external_argument, 0,
                   &trace->external_state);
  (void)zt20_flush(ZT_WORD_1);
}

void TerminateExternalTrace(NlTraceContext* trace) {
  if (trace != nullptr && trace->mode == NLDT_MODE_EXTERNAL) {
    (void)zt16_terminate(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, &trace->external_state);
  }
}

}  // namespace kelnl::diagnostics

extern "C" int32_t nldtotva(NlPrimaryErrorRecord* errors, NlTraceContext* trace, uintptr_t external_argument,
                            uint32_t component_message, uint32_t line, uint32_t level, const char* check_format,
                            va_list arguments) {
  using namespace kelnl::diagnostics;
  if (trace == nullptr) {
    Fail(errors, NLE_TRACE_NULL);
    return 0;
  }
  if (level != 0 && level > trace->level) return 0;
  const bool external = trace->mode == NLDT_MODE_EXTERNAL;
  if (external && !BridgeActive(trace)) return 0;

  ArgumentList list(arguments);
  std::uint8_t mask[NLDT_EVENT_MASK_BYTES] = {};
  bool dump = false;
  for (int event = va_arg(list.arguments, int); event != 0; event = va_arg(list.arguments, int)) {
    const auto number = static_cast<std::uint32_t>(event);
    if (number < NLDT_EVENT_MASK_BYTES * 8) mask[number / 8] = static_cast<std::uint8_t>(mask[number / 8] | (1u << (number % 8)));
    if (number == kDumpEvent) dump = true;
  }
  std::uint32_t text_message = 0;
  std::uint32_t dump_value = 0;
  std::uint16_t dump_length = 0;
  const void* dump_data = nullptr;
  if (dump) {
    dump_value = va_arg(list.arguments, std::uint32_t);
    dump_length = static_cast<std::uint16_t>(va_arg(list.arguments, int));
    dump_data = va_arg(list.arguments, const void*);
  } else {
    text_message = va_arg(list.arguments, std::uint32_t);
    if (check_format == nullptr) check_format = va_arg(list.arguments, const char*);
  }

  if (!external) {
    // The internal trace reports its own failures on the record; the caller's call succeeds.
    if (dump) {
      (void)nldtmsgdump(errors, trace, component_message, dump_length, dump_data);
    } else {
      (void)nldtmsgrec(errors, trace, component_message, text_message, check_format, line, list.arguments);
    }
    return 0;
  }

  // One record buffer serves the context: on a thread-safe context, records are built and sent
  // one at a time.
  kelnl::ContextMutexGuard guard(trace->context, trace->context != nullptr ? &trace->context->trace_mutex : nullptr);
  ExternalRecord record(trace, dump ? ZT_TYPE_DUMP : RecordType(level));
  const RecordHead head{component_message, line, mask};
  const bool built = dump ? BuildDumpRecord(&record, head, dump_value, dump_length, dump_data)
                          : BuildTextRecord(&record, head, text_message, check_format, &list.arguments);
  if (!built) {
    Fail(errors, NLE_TRACE_NO_MEMORY);
    return Fail(errors, NLE_TRACE_NO_MEMORY);
  }
  record.Send(external_argument);
  return 0;
}

extern "C" int32_t nldtotrc(NlPrimaryErrorRecord* errors, NlTraceContext* trace, uintptr_t external_argument,
                            uint32_t component_message, uint32_t line, uint32_t level, ...) {
  va_list arguments;
  va_start(arguments, level);
  const std::int32_t result =
      nldtotva(errors, trace, external_argument, component_message, line, level, nullptr, arguments);
  va_end(arguments);
  return result;
}
