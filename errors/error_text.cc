// nlerbem: the entries of a stack as text, most recent first, one indented line each.
#include <cstdio>
#include <cstring>

#include "errors/error_stack_internal.h"
#include "kelnl/nlem.h"
#include "kelnl/nlerrors.h"

using namespace kelnl::errors;

namespace {

constexpr std::size_t kMessageWorkBytes = 512;
// An entry is only started when it can show at least this much.
constexpr std::size_t kLeastRoomForEntry = 3;
constexpr std::int32_t kWithPrefix = 1;

// An entry whose facility has no registered message file (or a stack without a message
// facility) still shows its numbers and its arguments rather than disappearing from the chain.
std::size_t UnregisteredFacilityText(const NlErrorEntry& entry, std::int32_t indent,
                                     std::int32_t arg_count, char* work) {
  int length = std::snprintf(work, kMessageWorkBytes, "%*sfacility %u error %u", indent, "",
                             static_cast<unsigned>(entry.facility), static_cast<unsigned>(entry.error));
  for (std::int32_t i = 0; i < arg_count && length > 0; ++i) {
    length += std::snprintf(work + length, kMessageWorkBytes - static_cast<std::size_t>(length), " [%%s]");
  }
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

std::size_t FormatNumberedEntry(const NlErrorStack& stack, const NlErrorEntry& entry,
                                std::int32_t indent, char* output, std::size_t room) {
  const char* texts[NL_ERROR_MESSAGE_ARGS];
  std::size_t lengths[NL_ERROR_MESSAGE_ARGS];
  const std::int32_t count = CollectArguments(stack, entry, texts, lengths);
  char work[kMessageWorkBytes];
  std::size_t work_length = 0;
  const std::int32_t result =
      nlemgmz(nullptr, stack.message_facility, static_cast<std::int32_t>(entry.facility), entry.error,
              entry.kind, static_cast<std::int32_t>(entry.arg_count), indent, kWithPrefix, work,
              sizeof work, &work_length);
  if (result != 0) UnregisteredFacilityText(entry, indent, count, work);
  // The output keeps its own terminator byte beyond the room.
  return nlersprintf(output, room + 1, work, count, texts, lengths);
}

std::size_t FormatOsEntry(NlErrorStack& stack, const NlErrorEntry& entry, std::int32_t indent,
                          char* output, std::size_t room) {
  NlOsErrorFormatter formatter = stack.os_formatter;
  if (entry.os_error.system_error == 0 || formatter == nullptr) {
    return snlergem(&entry.os_error, output, room, indent);
  }
  stack.os_formatter = nullptr;  // serves one entry only
  const std::size_t written = formatter(&entry.os_error, output, room, indent);
  return written < room ? written : room;
}

}  // namespace

extern "C" int32_t nlerbem(NlErrorStack* stack, int32_t all, char* buffer, size_t size, size_t* text_length) {
  if (text_length != nullptr) *text_length = 0;
  const bool has_buffer = buffer != nullptr && size != 0;
  if (stack == nullptr) {
    if (has_buffer) buffer[0] = '\0';
    return NLE_NO_ERROR_STACK;
  }
  if (!has_buffer) return 0;
  buffer[size - 1] = '\0';
  std::size_t room = size - 1;
  std::size_t used = 0;
  for (std::int32_t n = 1; room >= kLeastRoomForEntry; ++n) {
    const NlErrorEntry* entry = EntryFromTop(stack, n);
    if (entry == nullptr) break;
    const std::int32_t indent = n - 1;
    const std::size_t written = entry->error != 0
                                    ? FormatNumberedEntry(*stack, *entry, indent, buffer + used, room)
                                    : FormatOsEntry(*stack, *entry, indent, buffer + used, room);
    used += written;
    room -= written;
    if (room > 0) {
      buffer[used++] = '\n';
      --room;
    }
    if (all == 0) break;
  }
  buffer[used] = '\0';
  if (text_length != nullptr) *text_length = used;
  return 0;
}
