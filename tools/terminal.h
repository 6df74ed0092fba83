// Whether a C stream is a terminal: the program prompts, edits lines and shows progress only there.
#ifndef KELNL_TOOLS_TERMINAL_H
#define KELNL_TOOLS_TERMINAL_H

#include <cstdio>

namespace kelnl::tool {

bool IsTerminal(std::FILE* stream);

}  // namespace kelnl::tool

#endif
