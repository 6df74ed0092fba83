// The kelnl control program's commands.
#ifndef KELNL_TOOLS_COMMANDS_H
#define KELNL_TOOLS_COMMANDS_H

#include <cstdio>

namespace kelnl::tool {

// A command gets its arguments after its own name; it returns the process exit status.
struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(int argc, char** argv);
};

// The command table, ending in a row whose name is null.
extern const Command kCommands[];

const Command* FindCommand(const char* name);
void PrintHelp(std::FILE* out);
void PrintCommandHelp(const Command& command, std::FILE* out);

int RunVersion(int argc, char** argv);
int RunCheck(int argc, char** argv);
int RunShow(int argc, char** argv);
int RunExplain(int argc, char** argv);
int RunTrace(int argc, char** argv);

}  // namespace kelnl::tool

#endif
