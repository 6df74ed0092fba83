// The core services' date functions: the current local date, compiled date pictures and date
// text. They report errors (numbers of facility 22, kelerrors.h) only through the error callback
// given to ldxnbeg; a callback may leave by longjmp, so these functions own nothing that would
// need a destructor.
#ifndef KELNL_PLATFORM_CORE_DATES_H
#define KELNL_PLATFORM_CORE_DATES_H

#include <cstddef>
#include <cstdint>

struct LdxDateBlock;
using LdxErrorCallback = void (*)(LdxDateBlock* block, std::int32_t error);

// The caller's block in which the date functions keep their state; zero before ldxnbeg.
struct LdxDateBlock {
  std::uint32_t started;  // kLdxStarted once begun
  LdxErrorCallback callback;
  void* callback_context;  // the caller's, handed back through the block
  void* language_handle;
  void* language_context;
};

struct LdxDate {
  std::int32_t year;
  std::int32_t month;  // 1 to 12
  std::int32_t day;
  std::int32_t hour;
  std::int32_t minute;
  std::int32_t second;
};

// A compiled picture: elements in order, each a date field or one literal character.
inline constexpr std::size_t kLdxPictureCapacity = 32;
struct LdxPicture {
  std::uint32_t count;
  std::uint32_t picture_length;  // characters of the picture it was compiled from
  std::uint8_t elements[kLdxPictureCapacity];
  char literals[kLdxPictureCapacity];
};

extern "C" {

// Begins the date functions in `block` for the language (null: the default, English) and
// remembers the callback and its context. scratch is not used.
void ldxnbeg(LdxDateBlock* block, void* language_handle, LdxErrorCallback callback,
             void* callback_context, void* scratch, void* language_context);

// The current local date and time into *date; 0 or the error reported.
std::int32_t sldxgd(LdxDateBlock* block, LdxDate* date);

// Compiles a picture of the elements DD, MM, MON, YYYY, HH24, MI and SS (any case) separated by
// blanks or - / : . , characters; 0 or the error reported.
std::int32_t ldxsto(LdxDateBlock* block, const char* picture, std::size_t picture_length,
                    LdxPicture* compiled);

// Writes the date as the picture says into buffer, terminated; returns the text's length, or 0
// after reporting an error. No element's text is longer than its name, so a buffer of the
// picture's length and a terminator holds every date; a smaller one is refused (104) whatever
// the date, so that a caller finds a short buffer on the first day, not on some later one.
std::size_t ldxdts(LdxDateBlock* block, char* buffer, std::size_t size, const LdxDate* date,
                   const LdxPicture* compiled);

}  // extern "C"

namespace kelnl::dates::hook {
// Fault injection for tests: while set, sldxgd cannot read the clock (error 106).
void FailClock(bool fail);
}  // namespace kelnl::dates::hook

#endif
