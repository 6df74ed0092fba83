// kelnl status: what the session's startup read and opened.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/commands.h"
#include "tools/session.h"

namespace kelnl::tool {
namespace {

const char* StatusWord(std::int32_t status) {
  switch (status) {
    case NLSTD_STATUS_READ: return "read";
    case NLSTD_STATUS_READ_WITH_ERRORS: return "read with errors";
    default: return "not read";
  }
}

void PrintFile(const char* label, std::int32_t status, const char* name, std::uint32_t length) {
  if (length == 0) {
    std::printf("%-24s%s\n", label, StatusWord(status));
  } else {
    std::printf("%-24s%.*s (%s)\n", label, static_cast<int>(length), name, StatusWord(status));
  }
}

// The directory-access parameter that sends the configuration to a directory, when it does.
std::string DirectorySource(NlGlobalContext* context) {
  char* value = nullptr;
  std::uint32_t length = 0;
  static constexpr char kMethod[] = "net_config_method";
  if (nlpagetldparam(context, kMethod, sizeof kMethod - 1, 0, &value, &length, 1) != 0 || value == nullptr) {
    return "none";
  }
  return std::string(value, length);
}

}  // namespace

int RunStatusCommand(int argc, char**) {
  const Session* session = CurrentSession();
  if (argc != 0 || session == nullptr) {
    std::fputs("kelnl status: takes no arguments\n", stderr);
    return 2;
  }
  const NlStartupParameters& block = session->startup();
  NlGlobalContext* context = session->context();
  PrintFile("system parameter file", block.system_status, block.system_name, block.system_name_length);
  PrintFile("local parameter file", block.local_status, block.local_name, block.local_name_length);
  std::printf("%-24s%zu (%s)\n", "command-line parameters", session->command_line_parameters(),
              StatusWord(block.cmdline_status));
  if (block.third_name_length != 0) {
    std::printf("%-24s%.*s\n", "included file", static_cast<int>(block.third_name_length), block.third_name);
  }
  std::printf("%-24s%s\n", "directory source", DirectorySource(context).c_str());
  const NlTraceContext* trace = context->trace;
  const unsigned level = trace != nullptr ? trace->level : 0u;
  const char* level_name = nullptr;
  std::uint32_t level_length = 0;
  nldtlv2str(nullptr, level, &level_name, &level_length);
  std::printf("%-24s%.*s (%u)\n", "trace level", static_cast<int>(level_length), level_name, level);
  if (level > 0 && block.trace_name_length != 0) {
    std::printf("%-24s%.*s", "trace file", static_cast<int>(block.trace_name_length), block.trace_name);
    if (trace->file_count > 1) std::printf(" (ring of %d files of %d KB)", trace->file_count, trace->file_length);
    std::fputs("\n", stdout);
  } else {
    std::printf("%-24s%s\n", "trace file", "none");
  }
  if (session->log() != nullptr && block.log_name_length != 0) {
    std::printf("%-24s%.*s\n", "log file", static_cast<int>(block.log_name_length), block.log_name);
  } else if (!session->log_failure().empty()) {
    std::printf("%-24s%s (%s)\n", "log file", "none", session->log_failure().c_str());
  } else {
    std::printf("%-24s%s\n", "log file", "none");
  }
  std::printf("%-24s%d\n", "holds", static_cast<int>(context->reference_count));
  return 0;
}

}  // namespace kelnl::tool
