// Changing a running context: re-reading its parameter sources, reopening its log or its trace.
#include <cstring>

#include "context/startup_steps.h"
#include "diagnostics/log_open.h"
#include "diagnostics/trace_open.h"
#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"

namespace kelnl::startup {
namespace {

constexpr std::uint32_t kSourceFlags = NLSTD_READ_COMMAND_LINE | NLSTD_READ_SYSTEM_FILE | NLSTD_READ_LOCAL_FILE;

// The source at fault, command line first, and the name its 462 carries.
std::int32_t ReportSourceFailure(NlGlobalContext* context, const NlStartupResults& results) {
  const struct {
    const NlPrimaryErrorRecord* record;
    const char* name;
  } sources[] = {{&results.cmdline_errors, results.third_name},
                 {&results.local_errors, results.local_name},
                 {&results.system_errors, results.system_name}};
  for (const auto& source : sources) {
    if (!RecordHoldsErrors(*source.record)) continue;
    nlerlpe(context->error_stack, source.record);
    PushWithName(context, NLE_PARAMETER_FILE_ERROR, source.name);
    break;
  }
  return NLE_PARAMETER_FILE_ERROR;
}

}  // namespace
}  // namespace kelnl::startup

extern "C" {

void nlstdstp(NlGlobalContext* context) { nlstdtrm(&context); }

int32_t nlstdap(NlGlobalContext* context, NlStartupParameters* parameters) {
  using namespace kelnl::startup;
  if (context == nullptr || parameters == nullptr || (parameters->flags & kSourceFlags) == 0) return 0;
  NlPrimaryErrorRecord errors{};
  NlParameterTable* table = nullptr;
  const std::int32_t code = CreateEmptyTable(&errors, &table, context);
  if (code != 0) {
    nlpatrm(nullptr, &table);
    nlerlpe(context->error_stack, &errors);
    return code;
  }
  return nlstdp1_alter_param_1(context, table, parameters);
}

int32_t nlstdp1_alter_param_1(NlGlobalContext* context, NlParameterTable* table, NlStartupParameters* parameters) {
  using namespace kelnl::startup;
  if (context == nullptr || parameters == nullptr) {
    nlpatrm(nullptr, &table);
    return 0;
  }
  NlStartupResults results{};
  const std::int32_t source_code = ReadParameterSources(context, parameters, &results, table);
  const bool installed = InstallParameterTable(context, &table, source_code != 0);
  TraceParameterSources(context, parameters, &results, installed ? context->parameters : table, installed);
  nlpatrm(nullptr, &table);
  CopySourceNames(parameters, &results);
  if (source_code == 0 || (parameters->flags & NLSTD_SOURCE_ERRORS_FORGIVEN) != 0) return 0;
  return ReportSourceFailure(context, results);
}

int32_t nlstdal(NlGlobalContext* context, NlStartupParameters* parameters) {
  using namespace kelnl::startup;
  // Without a block there is nothing saying what to open.
  if (context == nullptr || parameters == nullptr) return 0;
  NlStartupResults results{};
  if (nldlopen(context, parameters, &results) == 0) return 0;
  nlerlpe(context->error_stack, &results.log_errors);
  PushWithName(context, NLE_LOG_FAILED, results.log_name);
  return NLE_LOG_FAILED;
}

int32_t nlstdat(NlGlobalContext* context, NlStartupParameters* parameters) {
  using namespace kelnl::startup;
  // Without a block there is nothing saying what to open.
  if (context == nullptr || parameters == nullptr) return 0;
  NlStartupResults results{};
  if (nldtopen(context, parameters, &results) == 0) return 0;
  nlerlpe(context->error_stack, &results.trace_errors);
  PushWithName(context, NLE_TRACE_FAILED, results.trace_name);
  return NLE_TRACE_FAILED;
}

int32_t nlstreturn(const char* source, uint32_t length, NlResultBuffer* destination) {
  if (destination == nullptr) return 0;
  const std::uint32_t copied = length < destination->capacity ? length : destination->capacity;
  if (copied != 0 && source != nullptr && destination->buffer != nullptr) std::memcpy(destination->buffer, source, copied);
  destination->length = copied;
  destination->truncated = length > destination->capacity ? 1 : 0;
  return static_cast<int32_t>(copied);
}

}  // extern "C"
