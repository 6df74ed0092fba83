// nlstdgg, nlstdggo and nlstdgo: starting the library on a global context, every facility in
// its order, and reporting a failure into the caller's buffer.
#include <cstring>

#include "context/context_hold.h"
#include "context/context_lock.h"
#include "context/startup_steps.h"
#include "diagnostics/log_open.h"
#include "diagnostics/trace_config.h"
#include "diagnostics/trace_open.h"
#include "kelnl/nlba.h"
#include "kelnl/nlda.h"
#include "kelnl/nlds.h"
#include "kelnl/nldt.h"
#include "kelnl/nlem.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace kelnl::startup {
namespace {

constexpr std::uint32_t kTraceLevel = 4;
constexpr int kEventStartup = 10;
constexpr int kEventGeneral = 1;
constexpr std::size_t kErrorTextCapacity = 1024;

struct StartupCall {
  NlGlobalContext** context_slot;
  NlStartupParameters* parameters;
  char* error_buffer;
  std::size_t error_buffer_size;
  std::size_t* error_length;
  bool directory_variant;  // nlstdggo
  std::int32_t source_kind;
  const char* profile_name;
};

// A failure found after the error stack exists: its code and the record that tells its story.
struct Failure {
  std::int32_t code = 0;
  const NlPrimaryErrorRecord* record = nullptr;
  bool date_failure = false;  // reported without a record and without mapping
};

bool DirectoryConfigured(NlGlobalContext* context) {
  char* value = nullptr;
  std::uint32_t length = 0;
  static constexpr char kMethod[] = "net_config_method";
  if (nlpagetldparam(context, kMethod, sizeof kMethod - 1, 0, &value, &length, 1) != 0 || value == nullptr) return false;
  return length >= 4 && lstmclo(value, "ldap", 4) == 0;
}

// The record of the source at fault: local, then system, then command line; the last that
// holds errors wins.
const NlPrimaryErrorRecord* SourceRecord(const NlStartupResults& results) {
  const NlPrimaryErrorRecord* chosen = &results.system_errors;
  for (const NlPrimaryErrorRecord* record : {&results.local_errors, &results.system_errors, &results.cmdline_errors}) {
    if (RecordHoldsErrors(*record)) chosen = record;
  }
  return chosen;
}

// The library-level error behind a component's code, with the file it concerns.
std::int32_t MapFailure(NlGlobalContext* context, const NlStartupParameters& parameters,
                        const NlStartupResults& results, std::int32_t code) {
  if (code >= 400 && code <= 499) {
    const char* name = results.system_name;
    if (results.third_name_length != 0 && parameters.cmdline_status != NLSTD_STATUS_READ) {
      name = results.third_name;
    } else if (results.local_name_length != 0 && parameters.local_status == NLSTD_STATUS_READ_WITH_ERRORS) {
      name = results.local_name;
    }
    PushWithName(context, NLE_PARAMETER_FILE_ERROR, name);
    return NLE_PARAMETER_FILE_ERROR;
  }
  if (code >= 500 && code <= 599) {
    const std::int32_t mapped =
        code == NLE_TRACE_REGISTER_REFUSED || code == NLE_TRACE_REGISTER_CONFIG ? code : NLE_TRACE_FAILED;
    PushWithName(context, mapped, results.trace_name);
    return mapped;
  }
  if (code >= 200 && code <= 299) {
    PushWithName(context, NLE_LOG_FAILED, results.log_name);
    return NLE_LOG_FAILED;
  }
  return code;
}

class Startup {
 public:
  explicit Startup(const StartupCall& call) : call_(call), parameters_(call.parameters) {}
  std::int32_t Run();

 private:
  std::int32_t BuildFacilities(Failure* failure);
  std::int32_t ReadParameters(Failure* failure);
  void OpenLog();
  Failure Outcome();
  std::int32_t Report(const Failure& failure);
  void WriteErrorText(const char* text);
  std::int32_t CleanUp(std::int32_t code);

  const StartupCall& call_;
  NlStartupParameters* parameters_;
  NlGlobalContext* context_ = nullptr;
  NlStartupResults results_{};
  NlParameterTable* fresh_table_ = nullptr;  // a new table that was not installed
  std::size_t unused_length_ = 0;
  std::size_t* error_length_ = &unused_length_;
};

std::int32_t Startup::Run() {
  if (call_.error_buffer != nullptr && call_.error_buffer_size != 0) call_.error_buffer[0] = '\0';
  if (call_.error_length != nullptr) error_length_ = call_.error_length;
  *error_length_ = 0;

  TakeContextHold(call_.context_slot, parameters_->thread_safe);
  context_ = call_.context_slot != nullptr ? *call_.context_slot : nullptr;
  if (context_ == nullptr) return NLE_NO_MEMORY;
  LockContextMutex(context_, &context_->startup_mutex);
  if (context_->primary_errors != nullptr) {
    // Already running: the new hold is all this call adds.
    UnlockContextMutex(context_, &context_->startup_mutex);
    return 0;
  }
  context_->primary_errors = static_cast<NlPrimaryErrorRecord*>(AllocateZeroed(1, sizeof(NlPrimaryErrorRecord)));
  if (context_->primary_errors == nullptr) return CleanUp(NLE_NO_MEMORY);

  Failure failure;
  const std::int32_t fatal = BuildFacilities(&failure);
  if (fatal != 0) return CleanUp(fatal);
  if (failure.code == 0) {
    const std::int32_t table_code = ReadParameters(&failure);
    if (table_code == 0) {
      results_.trace_code = nldtopen(context_, parameters_, &results_);
      if (diagnostics::TraceIsOn(context_->trace)) {
        TraceParameterSources(context_, parameters_, &results_,
                              fresh_table_ != nullptr ? fresh_table_ : context_->parameters, fresh_table_ == nullptr);
      }
      OpenLog();
      nlpatrm(nullptr, &fresh_table_);
      if ((parameters_->flags & NLSTD_WRITE_BANNER) != 0 && context_->log_stream != nullptr) {
        const std::uintptr_t* banner = parameters_->banner;
        (void)nlban2(context_, context_->primary_errors, context_->log_stream,
                     reinterpret_cast<const char*>(banner[0]), banner[1], static_cast<std::uint32_t>(banner[2]),
                     static_cast<std::uint32_t>(banner[3]), reinterpret_cast<const char*>(banner[4]), banner[5]);
      }
      failure = Outcome();
    }
  }
  if (failure.code == 0) {
    std::uint32_t kind = 0;
    if ((parameters_->flags & NLSTD_WRITE_BANNER) != 0 && context_->log_stream != nullptr &&
        nldsinfo(nullptr, context_->log_stream, &kind, nullptr, nullptr) == 0 && kind != NLDS_KIND_STANDARD_OUTPUT) {
      WriteStartupReport(context_, parameters_);
    }
    UnlockContextMutex(context_, &context_->startup_mutex);
    return 0;
  }
  return CleanUp(Report(failure));
}

// The facilities every later step reports through. A non-zero result ends the startup without a
// report (there is no stack to report on, or the code's text is already in the caller's buffer);
// a date failure is left in *failure to be reported.
std::int32_t Startup::BuildFacilities(Failure* failure) {
  NlPrimaryErrorRecord* primary = context_->primary_errors;
  if (context_->message_facility == nullptr) {
    const std::int32_t code = nleminz(primary, &context_->message_facility, 1, call_.error_buffer,
                                      call_.error_buffer_size, error_length_);
    if (code != 0 && context_->message_facility == nullptr) return code;
    if (code != 0 && (parameters_->flags & NLSTD_MESSAGE_ERRORS_FORGIVEN) != 0) {
      primary->count = 0;
      primary->overflow = 0;
      primary->os_error = NlOsErrorRecord{};
      // A forgiven failure leaves no text behind either: a later failure formats its own.
      if (call_.error_buffer != nullptr && call_.error_buffer_size != 0) call_.error_buffer[0] = '\0';
      *error_length_ = 0;
    } else if (code != 0) {
      results_.message_code = code;
    }
  }
  if (context_->error_stack == nullptr) {
    const std::int32_t code = nlerinit(primary, &context_->error_stack, context_->message_facility, nullptr);
    if (code != 0) return code;
  }
  if (nldaini(context_) != 0) {
    failure->code = NLE_STARTUP_DATE_FAILED;
    failure->date_failure = true;
    return 0;
  }
  return nlifigbl(context_);
}

// Builds the new table and installs it. A non-zero result is a table that could not be made (or
// read from the directory): *failure then holds it.
std::int32_t Startup::ReadParameters(Failure* failure) {
  NlPrimaryErrorRecord* primary = context_->primary_errors;
  NlParameterTable* table = nullptr;
  std::int32_t source_code = 0;
  if (call_.directory_variant && DirectoryConfigured(context_)) {
    parameters_->system_status = parameters_->local_status = parameters_->cmdline_status = NLSTD_STATUS_NOT_READ;
    const std::int32_t code = nlpainso(primary, &table, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr,
                                       call_.source_kind, call_.profile_name, context_);
    if (code != 0) {
      nlpatrm(nullptr, &table);
      *failure = Failure{code, primary, false};
      return code;
    }
  } else {
    const std::int32_t code = CreateEmptyTable(primary, &table, context_);
    if (code != 0) {
      nlpatrm(nullptr, &table);
      *failure = Failure{code, primary, false};
      return code;
    }
    source_code = ReadParameterSources(context_, parameters_, &results_, table);
  }
  results_.source_code = source_code;
  if (!InstallParameterTable(context_, &table, source_code != 0)) fresh_table_ = table;
  CopySourceNames(parameters_, &results_);
  return 0;
}

// A log that cannot be opened is replaced by the default log so that the failure can still be
// written somewhere; the failure itself is kept for the outcome.
void Startup::OpenLog() {
  if (nldlopen(context_, parameters_, &results_) == 0) return;
  const std::int32_t code = results_.log_code;
  const NlPrimaryErrorRecord record = results_.log_errors;
  char name[NLSTD_NAME_CAPACITY];
  std::memcpy(name, results_.log_name, sizeof name);
  const std::uint32_t name_length = results_.log_name_length;
  const char* names[4] = {parameters_->log_file_parameter, parameters_->log_directory_parameter,
                          parameters_->log_unique_parameter, parameters_->log_switch_parameter};
  parameters_->log_file_parameter = parameters_->log_directory_parameter = nullptr;
  parameters_->log_unique_parameter = parameters_->log_switch_parameter = nullptr;
  (void)nldlopen(context_, parameters_, &results_);
  parameters_->log_file_parameter = names[0];
  parameters_->log_directory_parameter = names[1];
  parameters_->log_unique_parameter = names[2];
  parameters_->log_switch_parameter = names[3];
  results_.log_code = code;
  results_.log_errors = record;
  std::memcpy(results_.log_name, name, sizeof name);
  results_.log_name_length = name_length;
}

Failure Startup::Outcome() {
  const std::uint32_t flags = parameters_->flags;
  if (results_.message_code != 0 && (flags & NLSTD_MESSAGE_ERRORS_FORGIVEN) == 0)
    return {results_.message_code, context_->primary_errors, false};
  if (results_.source_code != 0 && (flags & NLSTD_SOURCE_ERRORS_FORGIVEN) == 0)
    return {results_.source_code, SourceRecord(results_), false};
  if (results_.trace_code != 0) return {results_.trace_code, &results_.trace_errors, false};
  if (results_.log_code != 0) return {results_.log_code, &results_.log_errors, false};
  return {};
}

std::int32_t Startup::Report(const Failure& failure) {
  std::int32_t code = failure.code;
  NlErrorStack* stack = context_->error_stack;
  if (!failure.date_failure) {
    if (*error_length_ == 0) nlerlpe(stack, failure.record);
    code = MapFailure(context_, *parameters_, results_, code);
  }
  if (stack != nullptr && *error_length_ == 0 && call_.error_buffer != nullptr && call_.error_buffer_size != 0) {
    (void)nlerbem(stack, 1, call_.error_buffer, call_.error_buffer_size, error_length_);
  }
  if (context_->log_stream != nullptr) {
    if (call_.error_buffer != nullptr && *error_length_ != 0) {
      WriteErrorText(call_.error_buffer);
    } else {
      char text[kErrorTextCapacity] = {};
      (void)nlerbem(stack, 1, text, sizeof text, nullptr);
      WriteErrorText(text);
    }
  }
  return code;
}

void Startup::WriteErrorText(const char* text) {
  if (call_.directory_variant) {
    (void)nldsfprintf(nullptr, context_->log_stream, "%s", text);
  } else if (diagnostics::TraceIsOn(context_->trace)) {
    NlPrimaryErrorRecord scratch{};
    (void)nldtotrc(&scratch, context_->trace, 0, NLTR_COMPONENT_STARTUP, __LINE__, kTraceLevel, kEventStartup,
                   kEventGeneral, 0, NLTR_STARTUP_ERROR, "%s", text);
  }
}

std::int32_t Startup::CleanUp(std::int32_t code) {
  nlpatrm(nullptr, &fresh_table_);
  Release(context_->primary_errors);
  context_->primary_errors = nullptr;
  UnlockContextMutex(context_, &context_->startup_mutex);
  // Holds taken by others keep the record, but nothing this startup built may stay in it: a later
  // startup would build it again over the top.
  if (context_->reference_count > 1) TearDownFacilities(context_);
  nlstdtrm(call_.context_slot);
  *call_.context_slot = nullptr;
  return code;
}

std::int32_t StartWith(StartupCall call) {
  // A caller without a block of its own gets the one nlstdgo would use.
  NlStartupParameters defaults;
  if (call.parameters == nullptr) {
    FillDefaultBlock(&defaults);
    call.parameters = &defaults;
  }
  return Startup(call).Run();
}

}  // namespace
}  // namespace kelnl::startup

extern "C" {

int32_t nlstdgg(NlGlobalContext** context_slot, NlStartupParameters* parameters, char* error_buffer,
                size_t error_buffer_size, size_t* error_length) {
  return kelnl::startup::StartWith(
      {context_slot, parameters, error_buffer, error_buffer_size, error_length, false, 0, nullptr});
}

int32_t nlstdggo(NlGlobalContext** context_slot, NlStartupParameters* parameters, char* error_buffer,
                 size_t error_buffer_size, size_t* error_length, int32_t source_kind, const char* profile_name) {
  return kelnl::startup::StartWith(
      {context_slot, parameters, error_buffer, error_buffer_size, error_length, true, source_kind, profile_name});
}

}  // extern "C"
