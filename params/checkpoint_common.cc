#include "params/checkpoint_common.h"

#include "diagnostics/trace_config.h"
#include "kelnl/nltrmsg.h"

namespace kelnl::params {

namespace {

constexpr char kDefaultBaseName[] = "chkpoint";
constexpr char kExtension[] = "ckp";

// Entry and exit are detail a developer asks for, not an administrator.
constexpr std::uint32_t kTraceLevel = 15;
constexpr int kEventGeneral = 1;

}  // namespace

NlFileNameDesc CompleteCheckpointDesc(const NlFileNameDesc* desc) {
  NlFileNameDesc copy = desc != nullptr ? *desc : NlFileNameDesc{};
  if (copy.base_name == nullptr || copy.base_name_length == 0) {
    copy.base_name = kDefaultBaseName;
    copy.base_name_length = sizeof kDefaultBaseName - 1;
  }
  copy.extension = kExtension;
  copy.extension_length = sizeof kExtension - 1;
  return copy;
}

bool BuildCheckpointName(NlOsErrorRecord* record, const NlFileNameDesc& completed, char* buffer,
                         std::uint32_t* length) {
  if (nlfncons(record, &completed, buffer, kCheckpointNameBuffer, length) != 0) return false;
  if (*length >= kCheckpointNameBuffer) {
    *record = NlOsErrorRecord{NLFN_NAME_TOO_LONG, 0, kCheckpointNameBuffer};
    return false;
  }
  buffer[*length] = '\0';
  return true;
}

CheckpointTrace::CheckpointTrace(NlGlobalContext* context, std::uint32_t component)
    : component_(component) {
  NlTraceContext* trace = context != nullptr ? context->trace : nullptr;
  if (kelnl::diagnostics::TraceIsOn(trace)) trace_ = trace;
}

void CheckpointTrace::Entry(std::uint32_t line) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_ENTRY, "");
}

void CheckpointTrace::Exit(std::uint32_t line, std::int32_t result) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_EXIT_RESULT, "%d",
           static_cast<int>(result));
}

void CheckpointTrace::FileName(std::uint32_t line, const char* name) {
  if (trace_ == nullptr) return;
  nldtotrc(&scratch_, trace_, 0, component_, line, kTraceLevel, kEventGeneral, 0, NLTR_CHECKPOINT_FILE, "%s",
           name);
}

}  // namespace kelnl::params
