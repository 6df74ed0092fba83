// The command table. A new command is one row here and one help text in kelnlus.msg.
#include "tools/commands.h"

#include <climits>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"

namespace kelnl::tool {
namespace {

// Calls a command of the int Run(int argc, char** argv) shape with the words after its name.
template <int (*Run)(int, char**)>
std::int32_t Handler(NlGlobalContext*, void* user_data, char** words, std::int32_t count, const std::int32_t*,
                     std::int32_t, std::uint32_t) {
  const int status = Run(count, words);
  auto* run = static_cast<RunStatus*>(user_data);
  run->last = status;
  run->any_failed = run->any_failed || status != 0;
  run->ran = true;
  return 0;
}

// exit and quit end the run the way the end of input does.
std::int32_t EndRun(NlGlobalContext* context, void*, char**, std::int32_t, const std::int32_t*, std::int32_t,
                    std::uint32_t) {
  static constexpr char kArgument[] = "control program";
  nlersec(context->error_stack, 1, NLE_CONTROL_END, 1, NL_ERROR_ARG_TEXT, static_cast<int32_t>(sizeof kArgument - 1),
          kArgument);
  return 0;
}

template <int (*Run)(int, char**)>
constexpr NlCommandEntry Command(const char* name, std::int32_t min_args, std::int32_t max_args, HelpMessage help) {
  return {name, Handler<Run>, nullptr, min_args, max_args, NLCP_NONE, help};
}

constexpr std::int32_t kAnyCount = INT32_MAX;

}  // namespace

const NlCommandEntry kCommandTable[] = {
    Command<RunCheck>("check", 1, kAnyCount, kHelpCheck),
    Command<RunShow>("show", 0, 4, kHelpShow),
    Command<RunExplain>("explain", 1, 1, kHelpExplain),
    Command<RunTrace>("trace", 1, 2, kHelpTrace),
    Command<RunUuid>("uuid", 0, 1, kHelpUuid),
    Command<RunSpawn>("spawn", 1, 1, kHelpSpawn),
    Command<RunStatusCommand>("status", 0, 0, kHelpStatus),
    Command<RunSet>("set", 2, kAnyCount, kHelpSet),
    Command<RunSave>("save", 0, 0, kHelpSave),
    Command<RunCheckpoint>("checkpoint", 1, 1, kHelpCheckpoint),
    Command<RunLoad>("load", 1, 1, kHelpLoad),
    Command<RunResolve>("resolve", 1, 9, kHelpResolve),
    Command<RunVersion>("version", 0, 0, kHelpVersion),
    {"exit", EndRun, nullptr, 0, 0, NLCP_NONE, kHelpExit},
    {"quit", EndRun, nullptr, 0, 0, NLCP_NONE, kHelpQuit},
    {nullptr, nullptr, nullptr, 0, 0, 0, 0},
};

}  // namespace kelnl::tool
