// Reading lines without an editing library: the prompt, then one line of standard input.
#include <cstdio>

#include "tools/line_editor.h"

namespace kelnl::tool {

LineEditor::LineEditor(const char*) {}

LineEditor::~LineEditor() = default;

bool LineEditor::Read(const char* prompt, std::string* line) {
  std::fputs(prompt, stdout);
  std::fflush(stdout);
  line->clear();
  char piece[256];
  while (std::fgets(piece, sizeof piece, stdin) != nullptr) {
    line->append(piece);
    if (!line->empty() && line->back() == '\n') {
      line->pop_back();
      return true;
    }
  }
  return !line->empty();
}

}  // namespace kelnl::tool
