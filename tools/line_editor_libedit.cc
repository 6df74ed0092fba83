// Line editing and history through libedit's line-reading interface.
#include <editline/readline.h>

#include <cstdlib>

#include "tools/line_editor.h"

namespace kelnl::tool {
namespace {

constexpr int kHistoryLines = 500;

}  // namespace

LineEditor::LineEditor(const char* history_name) {
  using_history();
  stifle_history(kHistoryLines);
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    history_file_ = std::string(home) + "/" + history_name;
    (void)read_history(history_file_.c_str());
  }
}

LineEditor::~LineEditor() = default;

bool LineEditor::Read(const char* prompt, std::string* line) {
  char* text = readline(prompt);
  if (text == nullptr) return false;
  line->assign(text);
  std::free(text);
  if (line->find_first_not_of(" \t") != std::string::npos) {
    add_history(line->c_str());
    // Written after every line, so that a session that is killed keeps what was typed.
    if (!history_file_.empty()) (void)write_history(history_file_.c_str());
  }
  return true;
}

}  // namespace kelnl::tool
