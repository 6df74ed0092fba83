#include "tools/terminal.h"

#include <io.h>

namespace kelnl::tool {

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace kelnl::tool
