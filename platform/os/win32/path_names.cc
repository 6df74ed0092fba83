#include "platform/os/os.h"

namespace kelnl::os {

char PathSeparator() { return '\\'; }

// A drive letter, a name from the root of the current drive, or ".\" (a name meant relative to
// the current directory, taken as written instead of being searched for).
bool IsAbsoluteName(std::string_view name) {
  return (name.size() >= 2 && name[1] == ':') || name.starts_with('\\') || name.starts_with(".\\");
}

const char* SharedLibrarySuffix() { return ".dll"; }

}  // namespace kelnl::os
