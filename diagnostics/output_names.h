// What the trace and log openings share: how a stream is named to the user, and how the file
// of a trace or log is found from the startup block and the parameter table.
#ifndef KELNL_DIAGNOSTICS_OUTPUT_NAMES_H
#define KELNL_DIAGNOSTICS_OUTPUT_NAMES_H

#include <cstdint>
#include <string_view>

#include "kelnl/nlds.h"
#include "kelnl/nlstd.h"

struct NlParameterTable;

namespace kelnl::diagnostics {

// "standard output" for a standard-output stream, the file name for a file stream (when it fits
// with its terminator), otherwise empty. buffer holds NLSTD_NAME_CAPACITY characters; the name is
// terminated and its length returned.
std::uint32_t StreamDisplayName(NlDiagStream* stream, char* buffer);

// The caller's parameter names (terminated, or null) of an output file.
struct OutputFileParameters {
  const char* file;
  const char* directory;
  const char* unique;
};

// What an output file's name falls back to.
struct OutputFileDefaults {
  std::string_view first_component;
  std::string_view second_component;
  std::string_view base_name;
  std::string_view extension;
};

// Completes *desc (a copy of the template) from the parameters: the file value becomes the base
// name (a value "tty" only without NLSTD_TTY_NOT_TERMINAL), the directory value the explicit
// directory, the unique value the unique-name flag; empty parts take the defaults. Texts may
// point into the parameter table. True when the output is the terminal: the base name is "tty",
// in any case.
bool ResolveOutputFile(NlParameterTable* parameters, std::uint32_t startup_flags, const OutputFileParameters& names,
                       const OutputFileDefaults& defaults, NlFileNameDesc* desc);

}  // namespace kelnl::diagnostics

#endif
