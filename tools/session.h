// The library as the interpreter needs it: the process's global context with a message facility
// (the library's files and the program's own), an error stack and the log stream on standard
// output.
#ifndef KELNL_TOOLS_SESSION_H
#define KELNL_TOOLS_SESSION_H

#include <cstdint>
#include <string>

#include "kelnl/kelnl.h"
#include "tools/messages.h"

namespace kelnl::tool {

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool ready() const { return ready_; }
  NlGlobalContext* context() const { return context_; }
  // A message of the library (facility 1) without prefix, its "%s" replaced by argument.
  std::string LibraryText(std::uint32_t number, const std::string& argument = "") const;
  // The help text of a command; empty when the message file has none.
  std::string HelpText(std::uint32_t number) const;
  // Prints the error stack to standard error (true) or the log stream, and empties it.
  void ReportErrors(bool to_standard_error);

 private:
  Messages messages_;
  NlGlobalContext* context_ = nullptr;
  NlDiagStream* error_stream_ = nullptr;
  bool ready_ = false;
};

}  // namespace kelnl::tool

#endif
