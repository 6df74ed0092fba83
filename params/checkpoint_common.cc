#include "params/checkpoint_common.h"

namespace kelnl::params {

namespace {

constexpr char kDefaultBaseName[] = "chkpoint";
constexpr char kExtension[] = "ckp";

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

}  // namespace kelnl::params
