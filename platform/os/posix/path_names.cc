#include "platform/os/os.h"

namespace kelnl::os {

char PathSeparator() { return '/'; }

// "./" counts as absolute so that a name meant relative to the current directory is taken as
// written instead of being searched for in the configured locations.
bool IsAbsoluteName(std::string_view name) { return name.starts_with('/') || name.starts_with("./"); }

const char* SharedLibrarySuffix() { return ".so"; }

}  // namespace kelnl::os
