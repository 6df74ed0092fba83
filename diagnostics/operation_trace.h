// Entry, exit and step records of one library operation, written only while the trace is on.
#ifndef KELNL_DIAGNOSTICS_OPERATION_TRACE_H
#define KELNL_DIAGNOSTICS_OPERATION_TRACE_H

#include <cstdint>

#include "kelnl/nldt.h"
#include "kelnl/nlstd.h"

namespace kelnl::diagnostics {

// Entry and exit of most operations are detail a developer asks for, not an administrator.
inline constexpr std::uint32_t kOperationTraceLevel = 15;

class OperationTrace {
 public:
  // level is the one entry, exit and texts are written at.
  OperationTrace(const NlGlobalContext* context, std::uint32_t component,
                 std::uint32_t level = kOperationTraceLevel);
  void Entry(std::uint32_t line);
  void Exit(std::uint32_t line);
  // Returns result, so that an operation can end with `return trace.Exit(__LINE__, code);`.
  std::int32_t Exit(std::uint32_t line, std::int32_t result);
  // A message without arguments, at a level of its own (an error a user must see, say).
  void Message(std::uint32_t line, std::uint32_t level, std::uint32_t message);
  // A message that takes one text (%s), or two texts written one after the other (%s%s).
  void Text(std::uint32_t line, std::uint32_t message, const char* text);
  void Texts(std::uint32_t line, std::uint32_t message, const char* first, const char* second);

 private:
  NlTraceContext* trace_ = nullptr;  // null while the trace is off
  std::uint32_t component_;
  std::uint32_t level_;
  // The trace's own failures are of no concern to the operation's caller, who gets result
  // codes only: they land in a record of the trace's own.
  NlPrimaryErrorRecord scratch_{};
};

}  // namespace kelnl::diagnostics

#endif
