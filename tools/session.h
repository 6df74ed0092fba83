// The library as the kelnl program uses it: the process's global context started on the product
// home (system parameter file, local parameter file kelnl.kel in the current directory, the
// command-line parameters given with -p), with the client trace and, when the configuration
// names one, the client log. The interpreter writes to standard output.
#ifndef KELNL_TOOLS_SESSION_H
#define KELNL_TOOLS_SESSION_H

#include <cstdint>
#include <string>
#include <vector>

#include "kelnl/kelnl.h"
#include "tools/messages.h"

namespace kelnl::tool {

class Session {
 public:
  // parameters: the "name=value" texts of the -p options.
  explicit Session(const std::vector<std::string>& parameters = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool ready() const { return ready_; }
  NlGlobalContext* context() const { return context_; }
  // The startup block after the startup: statuses and the names of the files read.
  const NlStartupParameters& startup() const { return block_; }
  std::size_t command_line_parameters() const { return command_line_count_; }
  // The configured log (null without one); the interpreter's own output goes elsewhere.
  NlDiagStream* log() const { return log_; }
  // Why the configured log could not be opened (its first error line); empty when it could.
  const std::string& log_failure() const { return log_failure_; }
  // A message of the library (facility 1) without prefix, its "%s" replaced by argument.
  std::string LibraryText(std::uint32_t number, const std::string& argument = "") const;
  // The help text of a command; empty when the message file has none.
  std::string HelpText(std::uint32_t number) const;
  // Prints the error stack to standard error (true) or standard output, also into the log when
  // there is one, and empties it.
  void ReportErrors(bool to_standard_error);
  // Sets a parameter in the parameters in use and keeps it for the next SaveChanges.
  std::int32_t SetParameter(const std::string& name, const std::string& value);
  std::size_t pending_changes() const { return pending_count_; }
  // Writes the kept changes into the local parameter file (the previous one becomes kelnl.bak):
  // the nlspfile result, and the changes are forgotten once written.
  std::int32_t SaveChanges();

 private:
  std::int32_t Start(std::uint32_t flags, std::string* error_text);
  bool LogConfigured() const;

  Messages messages_;
  NlStartupParameters block_{};
  std::string command_line_;
  std::size_t command_line_count_ = 0;
  std::string log_failure_;
  NlGlobalContext* context_ = nullptr;
  NlDiagStream* log_ = nullptr;
  NlDiagStream* error_stream_ = nullptr;
  NlParameterTable* pending_ = nullptr;
  std::size_t pending_count_ = 0;
  bool ready_ = false;
};

// The session of this run, for the commands that work on it; null outside one.
Session* CurrentSession();

// Turns a -p option's "name=value" into a parameter-file statement; false for text without a
// name before its '='.
bool ParameterStatement(const std::string& option, std::string* statement);

}  // namespace kelnl::tool

#endif
