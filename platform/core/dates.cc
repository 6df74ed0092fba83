#include "platform/core/dates.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "kelnl/kelerrors.h"
#include "platform/os/os.h"

namespace {

constexpr std::uint32_t kLdxStarted = 0x4C445842;  // a zeroed block reads as not started

enum Element : std::uint8_t { kLiteral, kDay, kMonthNumber, kMonthName, kYear, kHour24, kMinute, kSecond };

struct ElementName {
  const char* name;
  Element element;
};
// Longer names first, so that MON is not read as MM's first letter or HH24 cut short.
constexpr ElementName kElementNames[] = {
    {"YYYY", kYear}, {"HH24", kHour24}, {"MON", kMonthName}, {"DD", kDay},
    {"MM", kMonthNumber}, {"MI", kMinute}, {"SS", kSecond},
};
constexpr const char* kLiteralCharacters = " -/:.,";
constexpr const char* kMonthNames[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                       "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::atomic<bool> g_fail_clock{false};

std::int32_t Report(LdxDateBlock* block, std::int32_t error) {
  if (block != nullptr && block->started == kLdxStarted && block->callback != nullptr) {
    block->callback(block, error);
  }
  return error;
}

bool Started(const LdxDateBlock* block) { return block != nullptr && block->started == kLdxStarted; }

bool MatchesIgnoringCase(const char* text, std::size_t length, const char* name) {
  const std::size_t name_length = std::strlen(name);
  if (length < name_length) return false;
  for (std::size_t i = 0; i < name_length; ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != name[i]) return false;
  }
  return true;
}

bool InRange(const LdxDate& date) {
  return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= 31 && date.hour >= 0 && date.hour <= 23 &&
         date.minute >= 0 && date.minute <= 59 && date.second >= 0 && date.second <= 59;
}

// Writes one element; returns its length (at most 4 characters for a date in range).
int FormatElement(char (&out)[16], std::uint8_t element, char literal, const LdxDate& date) {
  switch (element) {
    case kDay: return std::snprintf(out, sizeof out, "%02d", date.day);
    case kMonthNumber: return std::snprintf(out, sizeof out, "%02d", date.month);
    case kMonthName: return std::snprintf(out, sizeof out, "%s", kMonthNames[date.month - 1]);
    case kYear: return std::snprintf(out, sizeof out, "%04d", date.year);
    case kHour24: return std::snprintf(out, sizeof out, "%02d", date.hour);
    case kMinute: return std::snprintf(out, sizeof out, "%02d", date.minute);
    case kSecond: return std::snprintf(out, sizeof out, "%02d", date.second);
    default: out[0] = literal; out[1] = '\0'; return 1;
  }
}

}  // namespace

namespace kelnl::dates::hook {
void FailClock(bool fail) { g_fail_clock = fail; }
}  // namespace kelnl::dates::hook

extern "C" {

void ldxnbeg(LdxDateBlock* block, void* language_handle, LdxErrorCallback callback,
             void* callback_context, void*, void* language_context) {
  if (block == nullptr) return;
  *block = LdxDateBlock{kLdxStarted, callback, callback_context, language_handle, language_context};
}

std::int32_t sldxgd(LdxDateBlock* block, LdxDate* date) {
  if (!Started(block)) return KELE_DATE_NOT_STARTED;
  kelnl::os::CalendarTime now{};
  if (date == nullptr || g_fail_clock || !kelnl::os::LocalCalendarTime(&now)) {
    return Report(block, KELE_DATE_CLOCK_UNAVAILABLE);
  }
  *date = LdxDate{now.year, now.month, now.day, now.hour, now.minute, now.second};
  return 0;
}

std::int32_t ldxsto(LdxDateBlock* block, const char* picture, std::size_t picture_length,
                    LdxPicture* compiled) {
  if (!Started(block)) return KELE_DATE_NOT_STARTED;
  if (picture == nullptr || picture_length == 0 || compiled == nullptr) {
    return Report(block, KELE_DATE_PICTURE_EMPTY);
  }
  LdxPicture result{};
  std::size_t at = 0;
  while (at < picture_length) {
    if (result.count == kLdxPictureCapacity) return Report(block, KELE_DATE_PICTURE_TOO_LONG);
    const char* rest = picture + at;
    const std::size_t left = picture_length - at;
    std::uint8_t element = kLiteral;
    for (const ElementName& candidate : kElementNames) {
      if (MatchesIgnoringCase(rest, left, candidate.name)) {
        element = candidate.element;
        at += std::strlen(candidate.name);
        break;
      }
    }
    if (element == kLiteral) {
      if (*rest == '\0' || std::strchr(kLiteralCharacters, *rest) == nullptr) {
        return Report(block, KELE_DATE_PICTURE_UNKNOWN);
      }
      result.literals[result.count] = *rest;
      ++at;
    }
    result.elements[result.count++] = element;
  }
  result.picture_length = static_cast<std::uint32_t>(picture_length);
  *compiled = result;
  return 0;
}

std::size_t ldxdts(LdxDateBlock* block, char* buffer, std::size_t size, const LdxDate* date,
                   const LdxPicture* compiled) {
  if (!Started(block)) return 0;
  if (date == nullptr || !InRange(*date)) {
    Report(block, KELE_DATE_OUT_OF_RANGE);
    return 0;
  }
  if (compiled == nullptr || compiled->count == 0 || compiled->count > kLdxPictureCapacity) {
    Report(block, KELE_DATE_PICTURE_EMPTY);
    return 0;
  }
  char text[kLdxPictureCapacity * 4 + 1];
  std::size_t length = 0;
  for (std::uint32_t i = 0; i < compiled->count; ++i) {
    char piece[16];
    const int written = FormatElement(piece, compiled->elements[i], compiled->literals[i], *date);
    std::memcpy(text + length, piece, static_cast<std::size_t>(written));
    length += static_cast<std::size_t>(written);
  }
  if (buffer == nullptr || size <= compiled->picture_length || length >= size) {
    Report(block, KELE_DATE_BUFFER_TOO_SMALL);
    return 0;
  }
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return length;
}

}  // extern "C"
