// Reading command lines from a terminal: with line editing and a history kept across sessions
// where the platform has an editing library, as plain lines otherwise.
#ifndef KELNL_TOOLS_LINE_EDITOR_H
#define KELNL_TOOLS_LINE_EDITOR_H

#include <string>

namespace kelnl::tool {

class LineEditor {
 public:
  // history_name: the file under the user's home directory that keeps the lines entered.
  explicit LineEditor(const char* history_name);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // Shows the prompt and reads one line without its line end; false at the end of input.
  bool Read(const char* prompt, std::string* line);

 private:
  std::string history_file_;
};

}  // namespace kelnl::tool

#endif
