// Deep copies and measurements of binding trees.
#ifndef KELNL_PLATFORM_NV_TREE_COPY_H
#define KELNL_PLATFORM_NV_TREE_COPY_H

#include <string_view>

#include "platform/nv/binding.h"

namespace kelnv {

// A new root holding a deep copy of source, in one chunk of its own, or null when memory runs
// out (nothing is left allocated). The copy's root takes root_name when one is given, source's name otherwise.
Binding* CopyTree(const Binding& source, std::string_view root_name = {});
// The number of nesting levels in the tree under root, root included (an atom has 1).
int TreeHeight(const Binding& root);

}  // namespace kelnv

#endif
