// The formatter behind nlfifpf: the library's own printf conversions, independent of where the
// arguments come from and where the text goes, so that the exported operation and the fuzz
// target share every line of it.
#ifndef KELNL_DIAGNOSTICS_PRINT_FORMAT_H
#define KELNL_DIAGNOSTICS_PRINT_FORMAT_H

#include <cstddef>
#include <cstdint>

namespace kelnl::diagnostics {

// Supplies the arguments that the conversions consume, in order.
class FormatArguments {
 public:
  virtual std::int32_t NextInt() = 0;
  virtual double NextDouble() = 0;
  virtual const char* NextString() = 0;
  virtual std::uintptr_t NextPointer() = 0;
  virtual std::int32_t* NextCount() = 0;  // %n's target; null stores nothing

 protected:
  ~FormatArguments() = default;
};

// Receives the produced text, possibly in many small calls.
class FormatSink {
 public:
  virtual void Put(const char* text, std::size_t length) = 0;

 protected:
  ~FormatSink() = default;
};

// Formats `format` into the sink and returns the number of characters produced (saturating at
// INT32_MAX). A null format produces nothing.
std::int32_t FormatText(const char* format, FormatArguments& arguments, FormatSink& sink);

}  // namespace kelnl::diagnostics

#endif
