// Error chains as the library formats them: a primary error record copied onto an error stack,
// under a closing entry that names the file at fault.
#ifndef KELNL_TOOLS_ERROR_CHAIN_H
#define KELNL_TOOLS_ERROR_CHAIN_H

#include <string>

#include "kelnl/kelnl.h"
#include "tools/messages.h"

namespace kelnl::tool {

// The chain of a parameter file's errors, most recent first, one indented line per entry,
// ending in a newline: NL-00462 with the file name over the record's errors.
std::string ParameterFileErrorChain(const Messages& messages, const NlPrimaryErrorRecord& record,
                                    const std::string& file_name);

}  // namespace kelnl::tool

#endif
