// Reads LDIF content records (entries, not change records) into an entry store.
#ifndef KELNL_PLATFORM_DIR_LDIF_PARSER_H
#define KELNL_PLATFORM_DIR_LDIF_PARSER_H

#include <cstdint>
#include <string_view>

#include "platform/dir/entry_store.h"

namespace kelnl::dir {

// Parses the whole text into store and builds its index. Result 0, kDirectoryMalformedLdif with
// *fault_line set to the 1-based line at fault, or kDirectoryNoMemory (*fault_line 0). On failure
// the store holds a partial load and must be discarded.
std::int32_t ParseLdif(std::string_view text, EntryStore* store, std::uint32_t* fault_line);

}  // namespace kelnl::dir

#endif
