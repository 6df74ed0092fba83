// kelnl: the control program over the library, running on its command interpreter. `kelnl` alone
// is an interactive session (or reads commands from standard input), `kelnl @FILE` runs a command
// file, `kelnl COMMAND ...` runs one command.
#include <cstdio>
#include <cstring>

#include "tools/interactive.h"
#include "tools/session.h"
#include "platform/os/os.h"

namespace {

bool IsHelpFlag(const char* argument) {
  return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelnl::tool;
  Session session;
  if (!session.ready()) return 1;
  if (argc < 2) return kelnl::os::StreamIsTerminal(stdin) ? RunTerminalSession(session) : RunStandardInput(session);
  if (IsHelpFlag(argv[1])) return PrintProgramHelp(session);
  if (argc > 2 && IsHelpFlag(argv[2])) return PrintCommandHelp(session, argv[1]);
  return RunArguments(session, argc - 1, argv + 1);
}
