// The ways kelnl runs its interpreter: a session at a terminal, standard input read line by line,
// and a single line made of the program's arguments.
#ifndef KELNL_TOOLS_INTERACTIVE_H
#define KELNL_TOOLS_INTERACTIVE_H

#include "tools/commands.h"
#include "tools/session.h"

namespace kelnl::tool {

// A terminal session with a prompt, line editing and history; ends at exit, quit or end of input.
// Returns the exit status: 0, or 1 when a command failed.
int RunTerminalSession(Session& session);

// Standard input that is no terminal: every line is a command, nothing is prompted. 0 or 1.
int RunStandardInput(Session& session);

// The program's arguments as one line (`kelnl COMMAND ARGS...` or `kelnl @FILE`). The command's
// own exit status; 2 for a line the interpreter refused (its errors go to standard error).
int RunArguments(Session& session, int argc, char** argv);

// `kelnl --help` and `kelnl COMMAND --help`.
int PrintProgramHelp(Session& session);
int PrintCommandHelp(Session& session, const char* name);

}  // namespace kelnl::tool

#endif
