#include "tools/commands.h"

#include <cstring>

namespace kelnl::tool {

const Command kCommands[] = {
    {"check", "kelnl check FILE...",
     "check parameter files as the network components read them\n\n"
     "Prints 'FILE: ok (N parameters)' for a clean file and the chain of errors for another.\n"
     "Exit status 0 when every file is clean, 1 otherwise.",
     RunCheck},
    {"show", "kelnl show [-f FILE] [NAME [INDEX]]",
     "show the parameters of a parameter file, or one of them\n\n"
     "Prints every parameter as 'name = value' sorted by name, or the value of NAME, or its\n"
     "INDEX-th list element (from 1). Without -f, the system parameter file: brisol.kel in the\n"
     "directory VQT_ADMIN names, else in network/admin under TARVO_HOME.",
     RunShow},
    {"explain", "kelnl explain CODE",
     "print the message text of an error code\n\n"
     "CODE is NL-00462, NLT-18300, SNL-00016, KEL-00101 or a bare number (facility NL).",
     RunExplain},
    {"trace", "kelnl trace decode FILE | kelnl trace levels",
     "decode an external trace file, or list the trace levels\n\n"
     "decode prints the header and then each record on a line: sequence, type, component and\n"
     "message numbers with their texts, line, arguments, events, dumps in hex. A corrupt or\n"
     "truncated file stops with the place of the fault and exit status 1.\n"
     "levels prints each level name with its number.",
     RunTrace},
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
    // The first line of the summary is the one-line description.
    const char* end = std::strchr(command->summary, '\n');
    const int length = end == nullptr ? static_cast<int>(std::strlen(command->summary))
                                      : static_cast<int>(end - command->summary);
    std::fprintf(out, "  %-10s %.*s\n", command->name, length, command->summary);
  }
}

void PrintCommandHelp(const Command& command, std::FILE* out) {
  std::fprintf(out, "usage: %s\n\n%s\n", command.usage, command.summary);
}

}  // namespace kelnl::tool
