// kelnl: the control program over the library. `kelnl COMMAND ...` runs one command.
#include <cstdio>
#include <cstring>

#include "tools/commands.h"

namespace {

bool IsHelpFlag(const char* argument) {
  return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0 ||
         std::strcmp(argument, "help") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelnl::tool;
  if (argc < 2 || IsHelpFlag(argv[1])) {
    PrintHelp(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const Command* command = FindCommand(argv[1]);
  if (command == nullptr) {
    std::fprintf(stderr, "kelnl: unknown command '%s'\n\n", argv[1]);
    PrintHelp(stderr);
    return 2;
  }
  if (argc > 2 && IsHelpFlag(argv[2])) {
    PrintCommandHelp(*command, stdout);
    return 0;
  }
  return command->run(argc - 2, argv + 2);
}
