// Changes to a tree: inserting copies and removing sub-bindings.
#ifndef KELNL_PLATFORM_NV_EDIT_H
#define KELNL_PLATFORM_NV_EDIT_H

#include <cstdint>
#include <string_view>

#include "platform/nv/binding.h"

namespace kelnv {

// Appends a deep copy of item to list. NLNV_ERROR_NOT_LIST, NLNV_ERROR_DEPTH when the tree
// would nest deeper than kMaxDepth, NLNV_ERROR_MEMORY; nothing changes on failure.
std::int32_t InsertCopy(const Binding& item, Binding* list);

// Removes and destroys the binding at a path of two or more names; a path that resolves to
// nothing is no error. NLNV_ERROR_PATH for a malformed or one-name path.
std::int32_t RemoveAtPath(Binding* binding, std::string_view path);

}  // namespace kelnv

#endif
