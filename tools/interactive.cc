#include "tools/interactive.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/line_editor.h"

namespace kelnl::tool {
namespace {

constexpr char kProgram[] = "kelnl";
constexpr char kHistoryFile[] = ".kelnl_history";

// A typed line gets the same treatment as a line the interpreter reads itself: at most the
// characters that fit its line buffer, and the same comments.
constexpr std::size_t kLineCharacters = NLCP_LINE_LIMIT - 2;

bool IsComment(const std::string& line) {
  if (!line.empty() && line[0] == '#') return true;
  return line.size() > 2 && std::tolower(static_cast<unsigned char>(line[0])) == 'r' &&
         std::tolower(static_cast<unsigned char>(line[1])) == 'e' &&
         std::tolower(static_cast<unsigned char>(line[2])) == 'm';
}

std::int32_t RunLine(Session& session, std::string line, RunStatus* status) {
  if (line.size() > kLineCharacters) line.resize(kLineCharacters);
  if (IsComment(line)) return 0;
  std::vector<char> text(line.begin(), line.end());
  text.push_back('\0');
  char* words[NLCP_MAX_WORDS + 1];
  std::int32_t count = 0;
  NlGlobalContext* context = session.context();
  std::int32_t result = nlcpprs(context, text.data(), 0, words, NLCP_MAX_WORDS, &count);
  if (result == 0) result = nlcpdo(context, kToolFacility, words, count, kCommandTable, 0, status);
  if (result != 0 && result != NLE_CONTROL_END) session.ReportErrors(false);
  return result;
}

}  // namespace

int RunTerminalSession(Session& session) {
  std::printf("%s\n", session.LibraryText(NLM_CONTROL_WELCOME, kProgram).c_str());
  LineEditor editor(kHistoryFile);
  RunStatus status;
  const std::string prompt = std::string(kProgram) + "> ";
  std::string line;
  for (;;) {
    if (!editor.Read(prompt.c_str(), &line)) {
      std::fputs("\n", stdout);
      break;
    }
    if (RunLine(session, line, &status) == NLE_CONTROL_END) break;
    std::fflush(stdout);
  }
  return status.any_failed ? 1 : 0;
}

int RunStandardInput(Session& session) {
  RunStatus status;
  nlcpdrv(session.context(), kToolFacility, kProgram, 0, kCommandTable, 0, &status, nullptr);
  return status.any_failed ? 1 : 0;
}

int RunArguments(Session& session, int argc, char** argv) {
  RunStatus status;
  const std::int32_t result = nlcpdo(session.context(), kToolFacility, argv, argc, kCommandTable, 0, &status);
  if (result == NLE_CONTROL_END) return 0;
  if (result != 0) {
    session.ReportErrors(true);
    return 2;
  }
  if (argv[0][0] == '@') return status.any_failed ? 1 : 0;
  if (status.ran) return status.last;
  // Listings answer help; anything else that ran nothing (an ambiguous word) is a usage error.
  return std::strcmp(argv[0], "help") == 0 ? 0 : 2;
}

int PrintProgramHelp(Session& session) {
  std::fputs("usage: kelnl                     an interactive session (commands from standard input)\n"
             "       kelnl COMMAND [ARGUMENT...]\n"
             "       kelnl COMMAND --help\n"
             "       kelnl @FILE               the commands of a command file\n",
             stdout);
  char help[] = "help";
  char* words[] = {help, nullptr};
  RunStatus status;
  nlcpdo(session.context(), kToolFacility, words, 1, kCommandTable, 0, &status);
  return 0;
}

int PrintCommandHelp(Session& session, const char* name) {
  for (const NlCommandEntry* row = kCommandTable; row->name != nullptr; ++row) {
    if (std::strcmp(row->name, name) != 0) continue;
    std::printf("usage: kelnl %s\n", session.HelpText(row->help_message).c_str());
    return 0;
  }
  std::fprintf(stderr, "kelnl: unknown command '%s'; enter kelnl help for a list\n", name);
  return 2;
}

}  // namespace kelnl::tool
