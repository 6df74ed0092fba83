// nlfifpf: the formatter's text goes to the stream in pieces of at most 255 characters.
#include <cstdarg>
#include <cstring>

#include "diagnostics/print_format.h"
#include "kelnl/nlfi.h"

namespace kelnl::diagnostics {
namespace {

// The conversions take int-sized integers: on the product's 32-bit target long is no wider, which
// is why "l" changes nothing.
class VariableArguments final : public FormatArguments {
 public:
  explicit VariableArguments(va_list* arguments) : arguments_(arguments) {}
  std::int32_t NextInt() override { return va_arg(*arguments_, int); }
  double NextDouble() override { return va_arg(*arguments_, double); }
  const char* NextString() override { return va_arg(*arguments_, const char*); }
  std::uintptr_t NextPointer() override { return reinterpret_cast<std::uintptr_t>(va_arg(*arguments_, void*)); }
  std::int32_t* NextCount() override { return va_arg(*arguments_, int*); }

 private:
  va_list* arguments_;
};

// A failed write is left on the error record by the stream layer; the formatting goes on.
class PieceWriter final : public FormatSink {
 public:
  PieceWriter(void* context, NlPrimaryErrorRecord* errors, NlDiagStream* stream)
      : context_(context), errors_(errors), stream_(stream) {}

  void Put(const char* text, std::size_t length) override {
    while (length > 0) {
      const std::size_t room = sizeof buffer_ - used_;
      const std::size_t piece = length < room ? length : room;
      std::memcpy(buffer_ + used_, text, piece);
      used_ += piece;
      text += piece;
      length -= piece;
      if (used_ == sizeof buffer_) Flush();
    }
  }

  void Flush() {
    if (used_ != 0) (void)nlfiwr(context_, errors_, stream_, buffer_, static_cast<std::uint32_t>(used_));
    used_ = 0;
  }

 private:
  void* context_;
  NlPrimaryErrorRecord* errors_;
  NlDiagStream* stream_;
  char buffer_[NLFI_PIECE_LIMIT];
  std::size_t used_ = 0;
};

}  // namespace
}  // namespace kelnl::diagnostics

extern "C" int32_t nlfifpf(void* context, NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                           ...) {
  using namespace kelnl::diagnostics;
  va_list list;
  va_start(list, format);
  VariableArguments arguments(&list);
  PieceWriter writer(context, errors, stream);
  const std::int32_t produced = FormatText(format, arguments, writer);
  writer.Flush();
  va_end(list);
  return produced;
}
