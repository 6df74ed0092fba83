// Shared by the error stack's files: pushing entries, the internal-error merge, finding entries
// and walking their argument text.
#ifndef KELNL_ERRORS_ERROR_STACK_INTERNAL_H
#define KELNL_ERRORS_ERROR_STACK_INTERNAL_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "kelnl/nler.h"

namespace kelnl::errors {

inline constexpr std::uint32_t kLibraryFacility = 1;
inline constexpr std::uint32_t kOsFacility = 3;

// Encodes the arguments of the next entry at the end of the stack's argument text. When an
// argument does not fit in the room left, the whole list is dropped: count and length read 0.
// Nothing is kept until PushEntry takes the text over.
class ArgumentWriter {
 public:
  explicit ArgumentWriter(NlErrorStack* stack);
  void Number(std::uint32_t number);
  void Text(const char* bytes, std::size_t length);
  // Reads `count` arguments of the caller's list: a 32-bit kind, then a number or a length and a
  // pointer. Every argument is consumed even after one did not fit.
  void FromList(std::int32_t count, va_list* list);

  std::uint32_t count() const { return fits_ ? count_ : 0; }
  std::uint32_t length() const { return fits_ ? used_ : 0; }

 private:
  std::uint8_t* start_;
  std::uint32_t room_;
  std::uint32_t used_ = 0;
  std::uint32_t count_ = 0;
  bool fits_ = true;
};

// Pushes one entry with the arguments written (null for none). A full stack loses the entry.
// os_error may be null.
void PushEntry(NlErrorStack* stack, std::uint32_t facility, std::uint32_t error, std::int32_t kind,
               const NlOsErrorRecord* os_error, const ArgumentWriter* arguments);

// Pushes one entry whose arguments are `count` arguments of the caller's list.
void PushEntryFromList(NlErrorStack* stack, std::uint32_t facility, std::uint32_t error, std::int32_t kind,
                       std::int32_t count, va_list* list);

// Pushes one internal-error entry (1, 51) of `kind` whose arguments read error, facility, then
// `count` arguments of the caller's list.
void PushInternalError(NlErrorStack* stack, std::uint32_t facility, std::uint32_t error,
                       std::int32_t kind, std::int32_t count, va_list* list);

// Entry n counted from the top (1 = most recent), or null when there is none.
const NlErrorEntry* EntryFromTop(const NlErrorStack* stack, std::int32_t n);

// Walks the encoded arguments of one entry, refusing to read outside the entry's own text even
// when a caller has written an inconsistent record.
class ArgumentReader {
 public:
  ArgumentReader(const NlErrorStack& stack, const NlErrorEntry& entry);
  // The next argument's bytes and length; false when the entry has no further argument.
  bool Next(const char** text, std::size_t* length);

 private:
  const std::uint8_t* cursor_;
  const std::uint8_t* end_;
  std::uint32_t remaining_;
};

// Collects at most NL_ERROR_MESSAGE_ARGS arguments of an entry; returns how many were found.
std::int32_t CollectArguments(const NlErrorStack& stack, const NlErrorEntry& entry,
                              const char** texts, std::size_t* lengths);

}  // namespace kelnl::errors

#endif
