// nlckpclp_ckp_load_ptable: a checkpoint is an ordinary parameter file, read by the parser.
#include "diagnostics/operation_trace.h"
#include "kelnl/nlckp.h"
#include "kelnl/nler.h"
#include "kelnl/nltrmsg.h"
#include "params/checkpoint_common.h"

namespace {

constexpr std::int32_t kOperatingSystemFacility = 3;

std::int32_t Load(NlGlobalContext* context, NlParameterTable** table_slot, const NlFileNameDesc* file,
                  kelnl::diagnostics::OperationTrace& trace) {
  if (context == nullptr || table_slot == nullptr) return -1;
  NlOsErrorRecord record{};
  char name[kelnl::params::kCheckpointNameBuffer];
  std::uint32_t length = 0;
  const NlFileNameDesc completed = kelnl::params::CompleteCheckpointDesc(file);
  if (!kelnl::params::BuildCheckpointName(&record, completed, name, &length)) {
    nlercrs(context->error_stack, kOperatingSystemFacility, &record);
    return -1;
  }
  trace.Text(__LINE__, NLTR_CHECKPOINT_FILE, name);
  // A context started without a primary record still gets the reading's outcome judged.
  NlPrimaryErrorRecord local{};
  NlPrimaryErrorRecord* primary = context->primary_errors != nullptr ? context->primary_errors : &local;
  return nlpains(primary, table_slot, 0, &completed, nullptr, 0, nullptr, nullptr, 0, nullptr) == 0
             ? 0
             : -1;
}

}  // namespace

extern "C" int32_t nlckpclp_ckp_load_ptable(NlGlobalContext* context, NlParameterTable** table_slot,
                                            const NlFileNameDesc* file) {
  kelnl::diagnostics::OperationTrace trace(context, NLTR_COMPONENT_CHECKPOINT_LOAD);
  trace.Entry(__LINE__);
  const std::int32_t result = Load(context, table_slot, file, trace);
  trace.Exit(__LINE__, result);
  return result;
}
