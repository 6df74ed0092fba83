// The canonical text form of a binding: "(NAME=atom)" or "(NAME=(A=1)(B=2))", no white space
// added. Parsing it gives back the same tree.
#ifndef KELNL_PLATFORM_NV_WRITER_H
#define KELNL_PLATFORM_NV_WRITER_H

#include <cstddef>

#include "platform/nv/binding.h"

namespace kelnv {

// The length of the text form, without a terminator.
std::size_t TextSize(const Binding& root);
// Writes exactly TextSize(root) characters to out, unterminated.
void WriteText(const Binding& root, char* out);

}  // namespace kelnv

#endif
