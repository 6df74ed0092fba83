#include "tools/terminal.h"

#include <unistd.h>

namespace kelnl::tool {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

}  // namespace kelnl::tool
