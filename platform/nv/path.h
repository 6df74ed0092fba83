// Names and paths: how a binding is found from another.
#ifndef KELNL_PLATFORM_NV_PATH_H
#define KELNL_PLATFORM_NV_PATH_H

#include <cstdint>
#include <string_view>

#include "platform/nv/binding.h"

namespace kelnv {

// Names match ignoring ASCII case only, so a lookup never depends on the process's locale.
bool NamesMatch(std::string_view a, std::string_view b);
// True when text can stand as a binding name in the text form.
bool IsValidName(std::string_view text);

// The first sub-binding of list with that name, or null (also for an atom).
Binding* FindChild(const Binding& list, std::string_view name);

// Resolves a '/'-separated path whose first name is start's own: start itself for a one-name
// path, else the first sub-binding of each further name in turn. Returns kOk with *found set,
// NLNV_ERROR_PATH for an empty path or an empty name in it, NLNV_ERROR_NOT_FOUND otherwise.
// *names receives the number of names in the path when the path is well formed.
std::int32_t ResolvePath(const Binding& start, std::string_view path, Binding** found,
                         int* names = nullptr);

}  // namespace kelnv

#endif
