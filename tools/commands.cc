#include "tools/commands.h"

#include <cstring>

namespace kelnl::tool {

const Command kCommands[] = {
    {"version", "kelnl version", "print the library version and this machine's data representation",
     RunVersion},
    {nullptr, nullptr, nullptr, nullptr},
};

const Command* FindCommand(const char* name) {
  for (const Command* command = kCommands; command->name != nullptr; ++command) {
    if (std::strcmp(command->name, name) == 0) return command;
  }
  return nullptr;
}

void PrintHelp(std::FILE* out) {
  std::fputs("usage: kelnl COMMAND [ARGUMENT...]\n       kelnl COMMAND --help\n\ncommands:\n", out);
  for (const Command* command = kCommands; command->name != nullptr; ++command) {
    std::fprintf(out, "  %-10s %s\n", command->name, command->summary);
  }
}

void PrintCommandHelp(const Command& command, std::FILE* out) {
  std::fprintf(out, "usage: %s\n\n%s\n", command.usage, command.summary);
}

}  // namespace kelnl::tool
