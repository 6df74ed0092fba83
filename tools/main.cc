// kelnl: the control program over the library, running on its command interpreter. `kelnl` alone
// is an interactive session (or reads commands from standard input), `kelnl @FILE` runs a command
// file, `kelnl COMMAND ...` runs one command. Options -p name=value, before the command, add
// parameters as the command line of the startup.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/interactive.h"
#include "tools/session.h"
#include "platform/os/os.h"

namespace {

bool IsHelpFlag(const char* argument) {
  return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

// Takes the leading -p options off the arguments; false for one without a name=value.
bool TakeParameterOptions(int* argc, char*** argv, std::vector<std::string>* statements) {
  while (*argc >= 2 && std::strcmp((*argv)[1], "-p") == 0) {
    std::string statement;
    if (*argc < 3 || !kelnl::tool::ParameterStatement((*argv)[2], &statement)) {
      std::fprintf(stderr, "kelnl: -p takes name=value, not '%s'\n", *argc < 3 ? "" : (*argv)[2]);
      return false;
    }
    statements->push_back(statement);
    *argc -= 2;
    *argv += 2;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelnl::tool;
  std::vector<std::string> parameters;
  if (!TakeParameterOptions(&argc, &argv, &parameters)) return 2;
  Session session(parameters);
  if (!session.ready()) return 1;
  if (argc < 2) return kelnl::os::StreamIsTerminal(stdin) ? RunTerminalSession(session) : RunStandardInput(session);
  if (IsHelpFlag(argv[1])) return PrintProgramHelp(session);
  if (argc > 2 && IsHelpFlag(argv[2])) return PrintCommandHelp(session, argv[1]);
  return RunArguments(session, argc - 1, argv + 1);
}
