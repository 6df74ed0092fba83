// The steps of building a file name, shared by nlfncons and the exported snlfn* operations.
// Each reports into the record as its exported operation does and returns the code.
#ifndef KELNL_FILES_NAME_PARTS_H
#define KELNL_FILES_NAME_PARTS_H

#include <cstdint>
#include <string_view>

#include "files/name_buffer.h"
#include "kelnl/nlep.h"

namespace kelnl::files {

// Appends base name, unique suffix and extension to the directory in buffer (snlfnfname).
std::int32_t AppendFileName(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view base,
                            std::string_view extension, std::uint32_t flags);

// Replaces the buffer's contents with the product's default directory (snlfndddir).
std::int32_t BuildDefaultDirectory(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view first,
                                   std::string_view second);

// Replaces the buffer's contents with an environment variable's value, terminated (snlfngenv).
std::int32_t ReadEnvironmentValue(NlOsErrorRecord* record, NameBuffer& buffer, std::string_view name);

inline constexpr std::int32_t kProbeOtherFailure = 1;

// Probes access to a terminated name and reports as snlfacc does: 0, 44, 45, or 1 (code 0 and
// the system error in the record) for any other failure.
std::int32_t ProbeAccess(NlOsErrorRecord* record, std::int32_t mode, const char* name);

}  // namespace kelnl::files

#endif
