// The directory loader: the objects of a kind and name read from the directory into a parameter
// table, or one parameter of them looked up.
#ifndef KELNL_PARAMS_DIRECTORY_LOADER_H
#define KELNL_PARAMS_DIRECTORY_LOADER_H

#include <cstdint>

#include "kelnl/nlpa.h"

namespace kelnl::params {

// Lookup mode delivers the value of wanted_name (compared ignoring case) instead of filling the
// table: into a new block (library allocator) when *value_slot is null, its length in
// *value_size; otherwise into the caller's buffer of *value_size bytes, terminated when it fits
// and cut to exactly *value_size bytes when it does not. A name the objects lack delivers
// nothing and is no failure.
struct DirectoryLookup {
  bool lookup;
  const char* wanted_name;
  std::uint32_t wanted_length;
  char** value_slot;
  std::uint32_t* value_size;
};

// Result 0, 401 when the objects could not be read, 402 when memory ran out. On 401 the table
// is left as it was.
std::int32_t LoadDirectoryObjects(NlParameterTable* table, std::int32_t kind, const char* name,
                                  NlGlobalContext* context, const DirectoryLookup& request);

}  // namespace kelnl::params

#endif
