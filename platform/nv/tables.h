// Lookups driven by callers' tables of alternative names.
#ifndef KELNL_PLATFORM_NV_TABLES_H
#define KELNL_PLATFORM_NV_TABLES_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/nv/binding.h"

namespace kelnv {

// Replaces *slot by a binding named name built from the first table entry (a name or a path)
// that resolves from *slot: a list is copied under the new name, an atom becomes the new list's
// only sub-binding. NLNV_ERROR_NOT_FOUND when no entry resolves; *slot is kept on failure.
std::int32_t ConvertByTable(const char* const* table, std::string_view name, Binding** slot);

// For each row of ':'-separated alternatives, the atom of the first alternative that names an
// atom sub-binding of list; null and 0 when none does.
void LookupRows(const Binding& list, const char* const* table, const char** texts,
                std::size_t* lengths);

}  // namespace kelnv

#endif
