#include "tools/trace_records.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include "platform/ztrace/ztrace.h"

namespace kelnl::tool {
namespace {

using Bytes = std::span<const std::uint8_t>;
using kelzt::LoadU16;
using kelzt::LoadU32;

constexpr std::uint16_t kMaskMarker = 64;
constexpr std::size_t kMaskBytes = 64;
constexpr std::uint16_t kDumpMarker = 4;
// Component, line and the length field (or the dump marker) open every text and dump record.
constexpr std::size_t kHeadBytes = 10;
// The record sent when the bridge had no memory: the head and a text message number, no mask.
constexpr std::size_t kShortRecordBytes = 14;

// Short texts built with printf conversions (string concatenation draws false warnings from
// some compilers).
[[gnu::format(printf, 1, 2)]] std::string Formatted(const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

const char* TypeName(std::uint16_t type) {
  switch (type) {
    case ZT_TYPE_DETAIL_LOW: return "detail-low";
    case ZT_TYPE_DETAIL_MID: return "detail-mid";
    case ZT_TYPE_DETAIL_HIGH: return "detail-high";
    case ZT_TYPE_DUMP: return "dump";
    case ZT_TYPE_KEY: return "key";
    case ZT_TYPE_FATAL: return "fatal";
    case ZT_TYPE_ERROR: return "error";
    default: return nullptr;
  }
}

// Texts are quoted; quotes, backslashes and unprintable bytes are escaped so that one record
// stays one line whatever a caller traced.
void AppendQuoted(std::string* out, std::string_view text) {
  out->push_back('"');
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out->push_back('\\');
      out->push_back(c);
    } else if (byte < 0x20 || byte >= 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out->append(escaped);
    } else {
      out->push_back(c);
    }
  }
  out->push_back('"');
}

void AppendNumber(std::string* out, const char* label, std::uint64_t value) {
  char number[32];
  std::snprintf(number, sizeof number, " %s %llu", label, static_cast<unsigned long long>(value));
  out->append(number);
}

void AppendHex(std::string* out, Bytes bytes) {
  char hex[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : " %02x", bytes[i]);
    out->append(hex);
  }
}

void AppendKeyHex(std::string* out, Bytes key) {
  char hex[3];
  for (const std::uint8_t byte : key) {
    std::snprintf(hex, sizeof hex, "%02x", byte);
    out->append(hex);
  }
}

void AppendMessage(std::string* out, const char* label, std::uint32_t number, const TraceMessageText& text) {
  AppendNumber(out, label, number);
  out->push_back(' ');
  std::string message = text(number);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  AppendQuoted(out, message);
}

// Event numbers of a mask, bit n of byte n / 8 for event n.
void AppendEvents(std::string* out, Bytes mask) {
  out->append(" events ");
  bool first = true;
  for (std::size_t event = 1; event < mask.size() * 8; ++event) {
    if ((mask[event / 8] & (1u << (event % 8))) == 0) continue;
    if (!first) out->push_back(',');
    out->append(std::to_string(event));
    first = false;
  }
  if (first) out->push_back('-');
}

bool CheckMaskTrailer(Bytes trailer, std::string* error) {
  if (trailer.size() != 2 + kMaskBytes || LoadU16(trailer.data()) != kMaskMarker) {
    *error = "the event mask after the record's fields is missing or malformed";
    return false;
  }
  return true;
}


// Formats the arguments in the order of the check format's conversions. Arguments the bridge
// left out for want of room end the area early: their conversions stay as written.
bool FormatArguments(std::string_view format, Bytes area, std::string* out, std::string* error) {
  std::size_t used = 0;
  char number[32];
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out->push_back(format[i]);
      continue;
    }
    const char conversion = format[++i];
    const bool is_long = conversion == 'l' && i + 1 < format.size();
    const char shown = is_long ? format[++i] : conversion;
    const bool takes_word = conversion == 'd' || conversion == 'u' || conversion == 'x' || is_long;
    if (conversion != 'c' && conversion != 's' && !takes_word) {
      // Conversions that carry nothing: "%%" is a percent sign, any other stays as written.
      if (conversion != '%') out->push_back('%');
      out->push_back(conversion);
      continue;
    }
    const std::size_t left = area.size() - used;
    if (left == 0) {
      out->push_back('%');
      if (is_long) out->push_back('l');
      out->push_back(shown);
      continue;
    }
    if (conversion == 'c') {
      out->push_back(static_cast<char>(area[used++]));
    } else if (conversion == 's') {
      std::size_t end = used;
      while (end < area.size() && area[end] != 0) ++end;
      if (end == area.size()) {
        *error = "a %s argument is not terminated within the record";
        return false;
      }
      out->append(reinterpret_cast<const char*>(area.data() + used), end - used);
      used = end + 1;
    } else {
      if (left < 4) {
        *error = "a four-byte argument runs past the record's text length";
        return false;
      }
      const std::uint32_t value = LoadU32(area.data() + used);
      used += 4;
      if (shown == 'x') {
        std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(value));
      } else if (shown == 'd' || shown == 'i') {
        std::snprintf(number, sizeof number, "%d", static_cast<int>(static_cast<std::int32_t>(value)));
      } else {
        std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(value));
      }
      out->append(number);
    }
  }
  if (used != area.size()) {
    *error = Formatted("%lu bytes follow the arguments of the check format",
                       static_cast<unsigned long>(area.size() - used));
    return false;
  }
  return true;
}

bool DecodeText(Bytes bytes, const TraceMessageText& text, std::string* out, std::string* error) {
  const std::uint16_t text_length = LoadU16(bytes.data() + 8);
  if (text_length < 4 || kHeadBytes + text_length > bytes.size()) {
    *error = Formatted("its text length %u does not fit the record", static_cast<unsigned>(text_length));
    return false;
  }
  AppendMessage(out, "component", LoadU32(bytes.data()), text);
  AppendNumber(out, "line", LoadU32(bytes.data() + 4));
  AppendMessage(out, "message", LoadU32(bytes.data() + kHeadBytes), text);
  const Bytes trailer = bytes.subspan(kHeadBytes + text_length);
  if (bytes.size() == kShortRecordBytes) return true;  // the no-memory record has nothing more
  if (!CheckMaskTrailer(trailer, error)) return false;
  const Bytes area = bytes.subspan(kHeadBytes + 4, text_length - 4u);
  std::size_t format_end = 0;
  while (format_end < area.size() && area[format_end] != 0) ++format_end;
  if (format_end == area.size() && !area.empty()) {
    *error = "the check format is not terminated within the record's text length";
    return false;
  }
  if (!area.empty()) {
    const std::string_view format(reinterpret_cast<const char*>(area.data()), format_end);
    std::string arguments;
    if (!FormatArguments(format, area.subspan(format_end + 1), &arguments, error)) return false;
    out->append(" args ");
    AppendQuoted(out, arguments);
  }
  AppendEvents(out, trailer.subspan(2));
  return true;
}

bool DecodeDump(Bytes bytes, const TraceMessageText& text, std::string* out, std::string* error) {
  constexpr std::size_t kFixed = kHeadBytes + 4 + 2;
  if (bytes.size() < kFixed || LoadU16(bytes.data() + 8) != kDumpMarker) {
    *error = "not a dump record: its fixed fields are missing or malformed";
    return false;
  }
  const std::uint16_t length = LoadU16(bytes.data() + 14);
  if (bytes.size() - kFixed < length) {
    *error = Formatted("its data length %u runs past the record", static_cast<unsigned>(length));
    return false;
  }
  if (!CheckMaskTrailer(bytes.subspan(kFixed + length), error)) return false;
  AppendMessage(out, "component", LoadU32(bytes.data()), text);
  AppendNumber(out, "line", LoadU32(bytes.data() + 4));
  AppendNumber(out, "value", LoadU32(bytes.data() + kHeadBytes));
  AppendNumber(out, "length", length);
  AppendEvents(out, bytes.subspan(kFixed + length + 2));
  out->append(" data");
  if (length > 0) out->push_back(' ');
  AppendHex(out, bytes.subspan(kFixed, length));
  return true;
}

// The no-memory record keeps the type of the record that failed, a dump's included.
bool IsShortTextRecord(Bytes bytes) {
  return bytes.size() == kShortRecordBytes && LoadU16(bytes.data() + 8) == 4;
}

}  // namespace

bool DecodeTraceRecord(const kelzt::Record& record, const TraceMessageText& text, std::string* line,
                       std::string* error) {
  const Bytes bytes = record.bytes;
  std::string out = Formatted("#%lu ", static_cast<unsigned long>(record.sequence));
  const char* name = TypeName(record.type);
  bool decoded = true;
  if (name == nullptr) {
    // Types the bridge does not send: shown raw rather than refused, the file itself is sound.
    out += Formatted("type %u bytes", static_cast<unsigned>(record.type));
    if (!bytes.empty()) out.push_back(' ');
    AppendHex(&out, bytes);
  } else if (record.type == ZT_TYPE_KEY) {
    out += "key ";
    if (bytes.size() != kelzt::kKeyBytes) {
      *error = Formatted("a key record holds %lu bytes instead of 8", static_cast<unsigned long>(bytes.size()));
      decoded = false;
    }
    AppendKeyHex(&out, bytes);
  } else {
    out += name;
    if (bytes.size() < kHeadBytes) {
      *error = "the record is too short for its fields";
      decoded = false;
    } else if (record.type == ZT_TYPE_DUMP && !IsShortTextRecord(bytes)) {
      decoded = DecodeDump(bytes, text, &out, error);
    } else {
      decoded = DecodeText(bytes, text, &out, error);
    }
  }
  if (!decoded) {
    *error = Formatted("record #%lu at offset %lu: ", static_cast<unsigned long>(record.sequence),
                       static_cast<unsigned long>(record.offset)) + *error;
    return false;
  }
  // The key and the caller's word are shown only when set, as most traces never set them.
  const std::uint8_t* key = record.key;
  if (record.type != ZT_TYPE_KEY &&
      std::any_of(key, key + kelzt::kKeyBytes, [](std::uint8_t byte) { return byte != 0; })) {
    out += " key ";
    AppendKeyHex(&out, Bytes(key, kelzt::kKeyBytes));
  }
  if (record.external_argument != 0) AppendNumber(&out, "argument", record.external_argument);
  *line = std::move(out);
  return true;
}

bool DecodeTraceFile(std::span<const std::uint8_t> file, const TraceMessageText& text,
                     const std::function<void(const std::string&)>& emit, std::string* error) {
  kelzt::TraceFileReader reader(file);
  kelzt::FileHeader header;
  char description[160];
  kelzt::ReadStatus status = reader.ReadHeader(&header);
  if (status != kelzt::ReadStatus::kRecord) {
    kelzt::DescribeReadFailure(reader, status, description, sizeof description);
    *error = description;
    return false;
  }
  std::string heading =
      Formatted("trace of process %lu startup name ", static_cast<unsigned long>(header.process_id));
  AppendQuoted(&heading, std::string_view(header.startup_name));
  emit(heading);
  kelzt::Record record;
  std::string line;
  while ((status = reader.Next(&record)) == kelzt::ReadStatus::kRecord) {
    if (!DecodeTraceRecord(record, text, &line, error)) return false;
    emit(line);
  }
  if (status == kelzt::ReadStatus::kEnd) return true;
  kelzt::DescribeReadFailure(reader, status, description, sizeof description);
  *error = description;
  return false;
}

}  // namespace kelnl::tool
