// What a successful startup tells the log: the files it read, the log and the trace.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "context/startup_steps.h"
#include "kelnl/nlds.h"
#include "kelnl/nldt.h"
#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"

namespace kelnl::startup {
namespace {

constexpr std::size_t kLineCapacity = 640;

// The message's text with its one argument in place of the first "%s" or "%d". Substituted here
// rather than handed to a printf family: the text comes from a message file and is no format.
std::size_t ReportLine(NlMessageFacility* messages, std::uint32_t number, std::string_view argument,
                       char* line) {
  char text[kLineCapacity / 2] = {};
  std::size_t text_length = 0;
  NlPrimaryErrorRecord scratch{};
  (void)nlemgmz(&scratch, messages, kLibraryFacility, number, 0, 1, 0, 0, text, sizeof text, &text_length);
  const std::string_view message(text, text_length);
  std::size_t at = message.find("%s");
  if (at == std::string_view::npos) at = message.find("%d");
  std::size_t length = 0;
  auto append = [&](std::string_view part) {
    const std::size_t room = kLineCapacity - 1 - length;
    const std::size_t count = part.size() < room ? part.size() : room;
    std::memcpy(line + length, part.data(), count);
    length += count;
  };
  if (at == std::string_view::npos) {
    append(message);
  } else {
    // Cut by hand: substr's exception support would pull the thread runtime DLL in on Windows.
    append(std::string_view(message.data(), at));
    append(argument);
    append(std::string_view(message.data() + at + 2, message.size() - at - 2));
  }
  append("\n");
  return length;
}

void WriteLine(NlGlobalContext* context, std::uint32_t number, std::string_view argument) {
  char line[kLineCapacity];
  const std::size_t length = ReportLine(context->message_facility, number, argument, line);
  (void)nldswrite(nullptr, context->log_stream, line, static_cast<std::uint32_t>(length));
}

}  // namespace

void WriteStartupReport(NlGlobalContext* context, const NlStartupParameters* parameters) {
  const struct {
    std::int32_t status;
    const char* name;
    std::uint32_t length;
    std::uint32_t message;
  } files[] = {
      {parameters->system_status, parameters->system_name, parameters->system_name_length, NLM_SYSTEM_PARAMETER_FILE},
      {parameters->local_status, parameters->local_name, parameters->local_name_length, NLM_LOCAL_PARAMETER_FILE},
      {parameters->cmdline_status, parameters->third_name, parameters->third_name_length, NLM_INCLUDED_PARAMETER_FILE},
      {parameters->log_status, parameters->log_name, parameters->log_name_length, NLM_LOG_FILE},
  };
  for (const auto& file : files) {
    if (file.status != NLSTD_STATUS_NOT_READ && file.length != 0) {
      WriteLine(context, file.message, std::string_view(file.name, file.length));
    }
  }
  if (parameters->trace_name_length != 0) {
    WriteLine(context, NLM_TRACE_FILE, std::string_view(parameters->trace_name, parameters->trace_name_length));
    char level[12];
    const int level_length =
        std::snprintf(level, sizeof level, "%u", context->trace != nullptr ? unsigned{context->trace->level} : 0u);
    WriteLine(context, NLM_TRACE_LEVEL, std::string_view(level, static_cast<std::size_t>(level_length)));
  }
  (void)nldswrite(nullptr, context->log_stream, "\n", 1);
}

void PushWithName(NlGlobalContext* context, std::int32_t error, const char* name) {
  const auto length = static_cast<std::int32_t>(std::strlen(name));
  nlerrec(context->error_stack, kLibraryFacility, error, 1, NL_ERROR_ARG_TEXT, length, name);
}

}  // namespace kelnl::startup
