// Any format, with any values for its conversions: the formatter must stay within its buffers,
// hand every character it counts to the sink and store %n counts that it has produced.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "diagnostics/print_format.h"

namespace {

using kelnl::diagnostics::FormatArguments;
using kelnl::diagnostics::FormatSink;

// Values drawn from the fuzzer's bytes after the format. Widths and precisions from "*" stay
// small so that a run is quick; everything else may take any value.
class FuzzArguments final : public FormatArguments {
 public:
  FuzzArguments(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::int32_t NextInt() override {
    std::int32_t value = 0;
    Take(&value, sizeof value);
    return value % 256;
  }
  double NextDouble() override {
    double value = 0;
    Take(&value, sizeof value);
    return value;
  }
  const char* NextString() override {
    static const char* const kStrings[] = {nullptr, "", "text",
                                           "a string longer than thirty-two characters, to be cut"};
    return kStrings[Byte() % 4];
  }
  std::uintptr_t NextPointer() override {
    std::uintptr_t value = 0;
    Take(&value, sizeof value);
    return value;
  }
  std::int32_t* NextCount() override { return Byte() % 2 == 0 ? nullptr : &count_; }
  std::int32_t count() const { return count_; }

 private:
  std::uint8_t Byte() {
    std::uint8_t value = 0;
    Take(&value, 1);
    return value;
  }
  void Take(void* value, std::size_t bytes) {
    const std::size_t taken = bytes < size_ ? bytes : size_;
    std::memcpy(value, data_, taken);
    data_ += taken;
    size_ -= taken;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::int32_t count_ = -1;
};

class CountingSink final : public FormatSink {
 public:
  void Put(const char* text, std::size_t length) override {
    for (std::size_t i = 0; i < length; ++i) checksum_ += static_cast<unsigned char>(text[i]);
    received_ += length;
  }
  std::size_t received() const { return received_; }

 private:
  std::size_t received_ = 0;
  unsigned checksum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The format is the bytes up to the first NUL, at most 256 of them; the rest feed the arguments.
  const std::size_t limit = size < 256 ? size : 256;
  std::size_t format_length = 0;
  while (format_length < limit && data[format_length] != 0) ++format_length;
  char format[257];
  std::memcpy(format, data, format_length);
  format[format_length] = '\0';
  // Widths written out in digits are taken as given: keep them short enough for a quick run.
  std::size_t digits = 0;
  for (std::size_t i = 0; i < format_length; ++i) {
    digits = (format[i] >= '0' && format[i] <= '9') ? digits + 1 : 0;
    if (digits > 3) return 0;
  }
  const std::size_t rest = format_length < size ? format_length + 1 : size;
  FuzzArguments arguments(data + rest, size - rest);
  CountingSink sink;
  const std::int32_t produced = kelnl::diagnostics::FormatText(format, arguments, sink);
  if (produced < 0 || static_cast<std::size_t>(produced) != sink.received()) std::abort();
  if (arguments.count() > produced) std::abort();
  return 0;
}
