// Reading the stack: entries from the top, their arguments, and copying a primary record in.
#include <algorithm>
#include <cstring>

#include "errors/error_stack_internal.h"

namespace kelnl::errors {

const NlErrorEntry* EntryFromTop(const NlErrorStack* stack, std::int32_t n) {
  if (stack == nullptr || n < 1) return nullptr;
  const std::int32_t depth = std::min<std::int32_t>(stack->depth, NL_ERROR_STACK_ENTRIES);
  if (n > depth) return nullptr;
  return &stack->entries[depth - n];
}

ArgumentReader::ArgumentReader(const NlErrorStack& stack, const NlErrorEntry& entry)
    : cursor_(stack.arg_text), end_(stack.arg_text), remaining_(entry.arg_count) {
  const std::uint32_t offset = std::min<std::uint32_t>(entry.arg_offset, NL_ERROR_ARG_TEXT_BYTES);
  const std::uint32_t length = std::min<std::uint32_t>(entry.arg_length, NL_ERROR_ARG_TEXT_BYTES - offset);
  cursor_ += offset;
  end_ = cursor_ + length;
}

bool ArgumentReader::Next(const char** text, std::size_t* length) {
  std::uint16_t field = 0;
  if (remaining_ == 0 || static_cast<std::size_t>(end_ - cursor_) < sizeof field) return false;
  std::memcpy(&field, cursor_, sizeof field);
  if (field > static_cast<std::size_t>(end_ - cursor_) - sizeof field) return false;
  *text = reinterpret_cast<const char*>(cursor_ + sizeof field);
  *length = field;
  cursor_ += sizeof field + field;
  --remaining_;
  return true;
}

std::int32_t CollectArguments(const NlErrorStack& stack, const NlErrorEntry& entry,
                              const char** texts, std::size_t* lengths) {
  ArgumentReader reader(stack, entry);
  std::int32_t found = 0;
  while (found < NL_ERROR_MESSAGE_ARGS && reader.Next(&texts[found], &lengths[found])) ++found;
  return found;
}

}  // namespace kelnl::errors

using namespace kelnl::errors;

extern "C" {

int32_t nlergmco(NlErrorStack* stack, int32_t n, NlMessageComponents* out) {
  const NlErrorEntry* entry = EntryFromTop(stack, n);
  if (entry == nullptr || out == nullptr) return -1;
  out->error = entry->error;
  out->facility = entry->facility;
  if (entry->error == 0) {
    out->os_error = &stack->entries[entry - stack->entries].os_error;
    out->arg_count = 0;
    return 0;
  }
  out->arg_count = static_cast<uint32_t>(CollectArguments(*stack, *entry, out->args, out->arg_lengths));
  return 0;
}

uint32_t nlergoc(const NlErrorStack* stack, int32_t n) {
  const NlErrorEntry* entry = EntryFromTop(stack, n);
  if (entry == nullptr) return 0;
  return entry->error != 0 ? entry->error : entry->os_error.operation;
}

uint32_t nlergmfi(const NlErrorStack* stack, int32_t n) {
  const NlErrorEntry* entry = EntryFromTop(stack, n);
  if (entry == nullptr) return 0;
  return entry->error != 0 ? entry->facility : kOsFacility;
}

NlOsErrorFormatter nlersetsf(NlErrorStack* stack, NlOsErrorFormatter formatter) {
  if (stack != nullptr) stack->os_formatter = formatter;
  return formatter;
}

void nlerlpe(NlErrorStack* stack, const NlPrimaryErrorRecord* primary) {
  if (stack == nullptr || primary == nullptr) return;
  // The operating-system error lies beneath the slots' errors, so it goes in first. Its two
  // entries carry no kind of their own in the record; they are pushed as recorded.
  if (primary->os_error.operation != 0) {
    PushEntry(stack, kOsFacility, 0, NL_ERROR_KIND_RECORDED, &primary->os_error, nullptr);
    PushEntry(stack, primary->os_facility, primary->os_error.operation, NL_ERROR_KIND_RECORDED,
              nullptr, nullptr);
  }
  const int used = std::min<int>(primary->count, NL_PRIMARY_ERROR_SLOTS);
  for (int i = 0; i < used; ++i) {
    const NlErrorSlot& slot = primary->errors[i];
    if (slot.error == 0 && slot.facility == 0 && slot.kind == 0) continue;
    PushEntry(stack, slot.facility, slot.error, slot.kind, nullptr, nullptr);
  }
}

}  // extern "C"
