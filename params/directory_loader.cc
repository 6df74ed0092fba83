// The directory loader behind nlpainso: directory objects as the parameters of a table.
#include "params/directory_loader.h"

#include <cstring>

#include "kelnl/nlerrors.h"
#include "kelnl/nlol.h"
#include "params/parameter_store.h"
#include "platform/core/allocator.h"
#include "platform/core/core.h"

namespace kelnl::params {
namespace {

// The pairs are stored as statements of a parameter file would be: a name already in the table
// (from a caller's earlier source) gets the directory's value as its newest binding rather than
// a second entry the index could never reach.
std::int32_t StorePairs(NlParameterTable* table, NlolPair* const* pairs, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const NlolPair& pair = *pairs[i];
    const char* text = pair.value != nullptr ? pair.value : "";
    NlParamValue* value = NewParamValue(table, text, static_cast<std::uint32_t>(std::strlen(text)));
    NlParamBinding* binding =
        value != nullptr ? NewParamBinding(table, pair.name, static_cast<std::uint32_t>(std::strlen(pair.name)))
                         : nullptr;
    const std::int32_t stored = binding != nullptr ? StoreBinding(table, binding, value, false) : NLE_PARAM_NO_MEMORY;
    if (stored != 0) {
      if (binding != nullptr) ReleaseBinding(table, binding);
      if (value != nullptr && value->reference_count < 1) ReleaseValueReference(table, value);
      return NLE_PARAM_NO_MEMORY;
    }
  }
  return 0;
}

std::int32_t Deliver(const DirectoryLookup& request, const char* value) {
  const std::size_t length = std::strlen(value);
  if (*request.value_slot == nullptr) {
    char* copy = static_cast<char*>(Allocate(length + 1));
    if (copy == nullptr) return NLE_PARAM_NO_MEMORY;
    std::memcpy(copy, value, length + 1);
    *request.value_slot = copy;
    if (request.value_size != nullptr) *request.value_size = static_cast<std::uint32_t>(length);
    return 0;
  }
  const std::size_t room = request.value_size != nullptr ? *request.value_size : 0;
  std::memcpy(*request.value_slot, value, length + 1 <= room ? length + 1 : room);
  return 0;
}

std::int32_t LookUp(const DirectoryLookup& request, NlolPair* const* pairs, std::uint32_t count) {
  if (request.value_slot == nullptr || request.wanted_name == nullptr) return 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const char* name = pairs[i]->name;
    // Compared over the pair name's length, as the components asking have always been served.
    const std::size_t length = std::strlen(name);
    if (length <= request.wanted_length && lstmclo(name, request.wanted_name, length) == 0) {
      return Deliver(request, pairs[i]->value != nullptr ? pairs[i]->value : "");
    }
  }
  return 0;
}

}  // namespace

std::int32_t LoadDirectoryObjects(NlParameterTable* table, std::int32_t kind, const char* name,
                                  NlGlobalContext* context, const DirectoryLookup& request) {
  NlolPair** pairs = nullptr;
  std::uint32_t count = 0;
  const std::int32_t read = nlolgobj(context, name, kind, &pairs, &count);
  if (read == NLOL_NO_MEMORY) return NLE_PARAM_NO_MEMORY;
  if (read != NLOL_OK) return NLE_PARAM_REFUSED;
  std::int32_t result = 0;
  if (request.lookup) {
    result = LookUp(request, pairs, count);
  } else if (table == nullptr || table->index == nullptr) {
    result = NLE_PARAM_NULL_TABLE;
  } else {
    result = StorePairs(table, pairs, count);
  }
  nlolfmem(context, pairs, count);
  return result;
}

}  // namespace kelnl::params
