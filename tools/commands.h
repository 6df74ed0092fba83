// The kelnl control program's commands: the interpreter's table and the commands behind it.
#ifndef KELNL_TOOLS_COMMANDS_H
#define KELNL_TOOLS_COMMANDS_H

#include <cstdint>

#include "kelnl/nlcp.h"

namespace kelnl::tool {

// The program's own message facility: its message file kelnlus.msg holds the commands' help.
inline constexpr std::int32_t kToolFacility = 100;
inline constexpr char kToolFacilityName[] = "KELNL";
inline constexpr char kToolProduct[] = "NETWORK";

// Help texts of the commands in kelnlus.msg.
enum HelpMessage : std::uint32_t {
  kHelpCheck = 101,
  kHelpShow = 102,
  kHelpExplain = 103,
  kHelpVersion = 104,
  kHelpExit = 105,
  kHelpQuit = 106,
  kHelpTrace = 107,
  kHelpUuid = 108,
  kHelpSpawn = 125,
  kHelpStatus = 110,
  kHelpSet = 111,
  kHelpSave = 112,
  kHelpCheckpoint = 113,
  kHelpLoad = 114,
  kHelpResolve = 120,
};

// What the commands of one run report back to main: the exit status of the last command that
// ran, and whether any failed.
struct RunStatus {
  int last = 0;
  bool any_failed = false;
  bool ran = false;
};

// The command table, ending in a row whose name is null. user_data of the interpreter is a
// RunStatus.
extern const NlCommandEntry kCommandTable[];

// A command gets the words after its own name and returns the process exit status.
int RunVersion(int argc, char** argv);
int RunCheck(int argc, char** argv);
int RunShow(int argc, char** argv);
int RunExplain(int argc, char** argv);
int RunTrace(int argc, char** argv);
int RunUuid(int argc, char** argv);
int RunSpawn(int argc, char** argv);
int RunStatusCommand(int argc, char** argv);
int RunSet(int argc, char** argv);
int RunSave(int argc, char** argv);
int RunCheckpoint(int argc, char** argv);
int RunLoad(int argc, char** argv);
int RunResolve(int argc, char** argv);

}  // namespace kelnl::tool

#endif
