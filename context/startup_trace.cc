// The trace records of a startup: what each parameter source gave and the parameters in use.
#include "context/startup_steps.h"
#include "diagnostics/trace_config.h"
#include "kelnl/nldt.h"
#include "kelnl/nlem.h"
#include "kelnl/nltrmsg.h"

namespace kelnl::startup {
namespace {

constexpr std::uint32_t kTraceLevel = 4;
constexpr int kEventStartup = 10;
constexpr int kEventGeneral = 1;
constexpr std::size_t kErrorTextCapacity = 512;

class SourceTrace {
 public:
  explicit SourceTrace(NlTraceContext* trace) : trace_(trace) {}
  void Record(std::uint32_t message, std::uint32_t line) {
    if (diagnostics::TraceIsOn(trace_))
      nldtotrc(&scratch_, trace_, 0, NLTR_COMPONENT_STARTUP, line, kTraceLevel, kEventStartup, kEventGeneral, 0,
               message, "");
  }
  void Record(std::uint32_t message, std::uint32_t line, const char* text) {
    if (diagnostics::TraceIsOn(trace_))
      nldtotrc(&scratch_, trace_, 0, NLTR_COMPONENT_STARTUP, line, kTraceLevel, kEventStartup, kEventGeneral, 0,
               message, "%s", text);
  }
  void Record(std::uint32_t message, std::uint32_t line, const char* first, const char* second) {
    if (diagnostics::TraceIsOn(trace_))
      nldtotrc(&scratch_, trace_, 0, NLTR_COMPONENT_STARTUP, line, kTraceLevel, kEventStartup, kEventGeneral, 0,
               message, "%s%s", first, second);
  }

 private:
  NlTraceContext* trace_;
  // The trace's own failures are not the startup's.
  NlPrimaryErrorRecord scratch_{};
};

struct SourceView {
  std::uint32_t flag;
  const char* title;
  std::int32_t status;
  const char* file_name;
  const NlPrimaryErrorRecord* errors;
};

void TraceSource(SourceTrace& trace, NlMessageFacility* messages, const SourceView& source) {
  trace.Record(NLTR_SOURCE_NAME, __LINE__, source.title, source.file_name);
  switch (source.status) {
    case NLSTD_STATUS_READ: trace.Record(NLTR_SOURCE_READ, __LINE__); break;
    case NLSTD_STATUS_READ_WITH_ERRORS: trace.Record(NLTR_SOURCE_READ_WITH_ERRORS, __LINE__); break;
    default: trace.Record(NLTR_SOURCE_NOT_READ, __LINE__); break;
  }
  if (RecordHoldsErrors(*source.errors)) {
    char text[kErrorTextCapacity] = {};
    std::size_t length = 0;
    // The record is read, not changed: its copy takes whatever the text's own failure pushes.
    NlPrimaryErrorRecord copy = *source.errors;
    (void)nleme2t(&copy, messages, text, sizeof text, &length);
    trace.Record(NLTR_SOURCE_ERRORS, __LINE__, text);
  }
  trace.Record(NLTR_SOURCE_DONE, __LINE__);
}

}  // namespace

void TraceParameterSources(NlGlobalContext* context, const NlStartupParameters* parameters,
                           const NlStartupResults* results, NlParameterTable* table, bool installed) {
  NlTraceContext* trace = context->trace;
  if (trace == nullptr || trace->level == 0 || !diagnostics::TraceIsOn(trace)) return;
  SourceTrace records(trace);
  records.Record(NLTR_SOURCES_START, __LINE__);
  const SourceView sources[] = {
      {NLSTD_READ_SYSTEM_FILE, "system pfile", parameters->system_status, results->system_name,
       &results->system_errors},
      {NLSTD_READ_LOCAL_FILE, "local pfile", parameters->local_status, results->local_name, &results->local_errors},
      {NLSTD_READ_COMMAND_LINE, "command line", parameters->cmdline_status, results->third_name,
       &results->cmdline_errors},
  };
  bool any_errors = false;
  for (const SourceView& source : sources) {
    any_errors = any_errors || RecordHoldsErrors(*source.errors);
    if ((parameters->flags & source.flag) != 0) TraceSource(records, context->message_facility, source);
  }
  records.Record(NLTR_SOURCES_DONE, __LINE__);
  if (!installed) {
    records.Record(NLTR_TABLE_NOT_INSTALLED, __LINE__);
    records.Record(NLTR_PREVIOUS_TABLE_KEPT, __LINE__);
  } else if (any_errors) {
    records.Record(NLTR_TABLE_INSTALLED, __LINE__);
    records.Record(NLTR_SOURCES_HAD_ERRORS, __LINE__);
  } else {
    records.Record(NLTR_TABLE_INSTALLED_CLEAN, __LINE__);
  }
  records.Record(NLTR_PARAMETERS_START, __LINE__);
  std::int32_t state = 0;
  char* name = nullptr;
  char* value = nullptr;
  while (table != nullptr && nlpaseq(nullptr, table, &state, &name, &value) == 0 && state != 0) {
    records.Record(NLTR_PARAMETER, __LINE__, name, value != nullptr ? value : "");
  }
  records.Record(NLTR_PARAMETERS_END, __LINE__);
}

}  // namespace kelnl::startup
