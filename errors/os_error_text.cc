// snlergem: the text of one operating-system error record.
#include <cstdio>
#include <cstring>

#include "kelnl/nler.h"
#include "platform/os/os.h"

namespace {

constexpr const char* kUnknownSystemError = "Unknown system error";

// Writes pieces into a buffer of `room` characters, cutting each to what is left. No terminator
// is reserved: the caller's last character is taken back at the end.
class PieceWriter {
 public:
  PieceWriter(char* buffer, std::size_t room) : buffer_(buffer), room_(room) {}

  std::size_t used() const { return used_; }
  bool has_room() const { return used_ < room_; }

  void Put(const char* text, std::size_t length) {
    const std::size_t fits = length < room_ - used_ ? length : room_ - used_;
    std::memcpy(buffer_ + used_, text, fits);
    used_ += fits;
  }
  void Put(const char* text) { Put(text, std::strlen(text)); }
  void PutBlanks(std::size_t count) {
    const std::size_t fits = count < room_ - used_ ? count : room_ - used_;
    std::memset(buffer_ + used_, ' ', fits);
    used_ += fits;
  }

 private:
  char* buffer_;
  std::size_t room_;
  std::size_t used_ = 0;
};

void PutSystemError(PieceWriter& out, std::int32_t number, std::int32_t depth) {
  if (depth > 0) out.PutBlanks(static_cast<std::size_t>(depth));
  char head[64];
  const int length = std::snprintf(head, sizeof head, "%s Error: %d: ", kelnl::os::PlatformName(), number);
  if (length > 0) out.Put(head, static_cast<std::size_t>(length));
  const char* text = std::strerror(number);
  out.Put(text != nullptr && *text != '\0' ? text : kUnknownSystemError);
  if (out.has_room()) out.Put("\n", 1);
}

void PutAdditionalInformation(PieceWriter& out, std::int32_t extra) {
  char line[64];
  const int length = std::snprintf(line, sizeof line, "Additional information: %d\n", extra);
  if (length > 0) out.Put(line, static_cast<std::size_t>(length));
}

}  // namespace

extern "C" size_t snlergem(const NlOsErrorRecord* os_error, char* buffer, size_t size, int32_t depth) {
  if (buffer == nullptr || size == 0) return 0;
  PieceWriter out(buffer, size);
  if (os_error != nullptr) {
    // Both words are printed as the signed numbers the platform reports.
    const auto number = static_cast<std::int32_t>(os_error->system_error);
    const auto extra = static_cast<std::int32_t>(os_error->extra);
    if (number >= 1) PutSystemError(out, number, depth);
    if (extra != 0) PutAdditionalInformation(out, extra);
  }
  // The closing newline is the caller's to add: the last character written is taken back.
  const std::size_t length = out.used() > 0 ? out.used() - 1 : 0;
  buffer[length] = '\0';
  return length;
}
