#include "diagnostics/log_open.h"

#include <cstring>

#include "diagnostics/output_names.h"
#include "diagnostics/trace_config.h"
#include "kelnl/nldt.h"
#include "kelnl/nlem.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "kelnl/nltrmsg.h"
#include "kelnl/snlf.h"

namespace {

using kelnl::diagnostics::StreamDisplayName;

constexpr std::int32_t kLibraryFacility = 1;
constexpr std::int32_t kOperatingSystemFacility = 3;
// Startup reports its own failures with this kind.
constexpr std::int32_t kStartupKind = 4;
constexpr std::uint32_t kTraceLevel = 4;
constexpr int kEventStartup = 10;
constexpr int kEventGeneral = 1;
constexpr std::uint32_t kErrorTextCapacity = 256;

// Traces the steps of the opening when the trace is on; the trace's own failures are not the
// log's, so they report into a record of their own.
class OpeningTrace {
 public:
  explicit OpeningTrace(NlGlobalContext* context) {
    NlTraceContext* trace = context->trace;
    NlDiagStream* stream = nullptr;
    if (trace != nullptr && trace->level > 0 && nldtshget(nullptr, trace, &stream) == 0 && stream != nullptr) {
      trace_ = trace;
    }
  }
  void Step(std::uint32_t message, std::uint32_t line) {
    if (On()) nldtotrc(&scratch_, trace_, 0, NLTR_COMPONENT_LOG_OPEN, line, kTraceLevel, kEventStartup,
                       kEventGeneral, 0, message, "");
  }
  void Step(std::uint32_t message, std::uint32_t line, const char* text) {
    if (On()) nldtotrc(&scratch_, trace_, 0, NLTR_COMPONENT_LOG_OPEN, line, kTraceLevel, kEventStartup,
                       kEventGeneral, 0, message, "%s", text);
  }

 private:
  bool On() const { return kelnl::diagnostics::TraceIsOn(trace_); }
  NlTraceContext* trace_ = nullptr;
  NlPrimaryErrorRecord scratch_{};
};

bool LoggingSwitchedOff(NlGlobalContext* context, const char* switch_name) {
  if (switch_name == nullptr) return false;
  std::int32_t on = 1;
  const auto length = static_cast<std::uint32_t>(std::strlen(switch_name));
  return nlpagbp(nullptr, context->parameters, switch_name, length, 1, &on) == 0 && on == 0;
}

// Whether the file can be opened for appending, tried without keeping it open.
bool TestOpen(NlPrimaryErrorRecord* errors, const char* name, std::uint32_t length) {
  FILE* handle = nullptr;
  if (snlfohd(&errors->os_error, SNLF_MODE_WRITE | SNLF_MODE_APPEND, name, length, &handle) != 0) return false;
  (void)snlfchd(nullptr, handle);
  return true;
}

// The test open failed: the new stream goes, and the error text is traced.
std::int32_t RefuseLogFile(NlGlobalContext* context, NlStartupResults* results, NlDiagStream** stream,
                           OpeningTrace* trace) {
  NlPrimaryErrorRecord* errors = &results->log_errors;
  errors->os_facility = kOperatingSystemFacility;
  nlepepe(errors, kLibraryFacility, NLE_LOG_OPEN_FAILED, kStartupKind);
  (void)nldsdestroy(nullptr, stream);
  trace->Step(context->log_stream != nullptr ? NLTR_LOG_TEST_OPEN_FAILED_KEPT : NLTR_LOG_TEST_OPEN_FAILED, __LINE__);
  char text[kErrorTextCapacity] = {};
  std::size_t text_length = 0;
  if (context->message_facility != nullptr) {
    (void)nleme2t(errors, context->message_facility, text, sizeof text, &text_length);
  }
  trace->Step(NLTR_LOG_ERROR, __LINE__, text);
  return NLE_LOG_OPEN_FAILED;
}

// Creates the new log stream and, unless it names the open log, puts it in place.
std::int32_t OpenLog(NlGlobalContext* context, NlStartupParameters* parameters, NlStartupResults* results,
                     OpeningTrace* trace) {
  NlFileNameDesc desc = parameters->log_file;
  const kelnl::diagnostics::OutputFileParameters names{parameters->log_file_parameter,
                                                       parameters->log_directory_parameter,
                                                       parameters->log_unique_parameter};
  const bool terminal = kelnl::diagnostics::ResolveOutputFile(context->parameters, parameters->flags, names,
                                                              {"NETWORK", "log", "brisol", "log"}, &desc);
  NlDiagStream* stream = nullptr;
  const std::int32_t created =
      nldsinit(&results->log_errors, &stream, context->parameters,
               static_cast<std::uint8_t>(terminal ? NLDS_KIND_STANDARD_OUTPUT : NLDS_KIND_FILE), NLDS_OPTION_APPEND,
               terminal ? nullptr : &desc);
  if (created != 0) {
    trace->Step(NLTR_LOG_NO_STREAM, __LINE__);
    return created;
  }
  results->log_name_length = StreamDisplayName(stream, results->log_name);

  char current[NLSTD_NAME_CAPACITY];
  if (context->log_stream != nullptr) {
    const std::uint32_t length = StreamDisplayName(context->log_stream, current);
    if (length == results->log_name_length && std::memcmp(current, results->log_name, length) == 0) {
      (void)nldsdestroy(nullptr, &stream);
      parameters->log_status = 0;
      trace->Step(NLTR_LOG_SAME_FILE, __LINE__, results->log_name);
      return 0;
    }
  }
  trace->Step(NLTR_LOG_NEW_FILE, __LINE__, results->log_name);

  if ((parameters->flags & NLSTD_NO_LOG_TEST_OPEN) == 0 && !terminal) {
    trace->Step(NLTR_LOG_TEST_OPEN, __LINE__);
    if (!TestOpen(&results->log_errors, results->log_name, results->log_name_length)) {
      return RefuseLogFile(context, results, &stream, trace);
    }
    trace->Step(NLTR_LOG_TEST_OPEN_OK, __LINE__);
  } else {
    trace->Step(NLTR_LOG_NO_TEST_OPEN, __LINE__);
  }

  parameters->log_status = 0;
  if (context->log_stream != nullptr) {
    trace->Step(NLTR_LOG_REPLACED, __LINE__);
    (void)nldsdestroy(nullptr, &context->log_stream);
  }
  // Not opened here: the first write opens it, appending.
  context->log_stream = stream;
  return 0;
}

}  // namespace

std::int32_t nldlopen(NlGlobalContext* global_context, NlStartupParameters* parameters, NlStartupResults* results) {
  parameters->log_name[0] = '\0';
  parameters->log_name_length = 0;
  parameters->log_status = NLSTD_STATUS_NOT_READ;
  if (global_context == nullptr || (parameters->flags & NLSTD_OPEN_LOG) == 0) return 0;

  OpeningTrace trace(global_context);
  trace.Step(NLTR_LOG_START, __LINE__);
  std::int32_t result = 0;
  if (LoggingSwitchedOff(global_context, parameters->log_switch_parameter)) {
    const bool had_log = global_context->log_stream != nullptr;
    if (had_log) (void)nldsdestroy(nullptr, &global_context->log_stream);
    global_context->log_stream = nullptr;
    trace.Step(had_log ? NLTR_LOG_OFF_CLOSED : NLTR_LOG_OFF, __LINE__);
  } else {
    result = OpenLog(global_context, parameters, results, &trace);
  }
  parameters->log_name_length = StreamDisplayName(global_context->log_stream, parameters->log_name);
  trace.Step(NLTR_LOG_DONE, __LINE__);
  results->log_code = result;
  return result;
}
