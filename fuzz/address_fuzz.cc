// Any descriptor text either is refused, leaving nothing behind, or expands into an iterator
// whose full iteration ends within one call per node of the descriptor, handing out outputs that
// are whole, writable bindings. The first two bytes choose the options, the third the seed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kelnl/nlad.h"
#include "kelnl/nlrn.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequireWritable(const NlnvBinding* binding) {
  Require(binding != nullptr);
  size_t size = 0;
  Require(nlnvszs(binding, &size) == 0);
  char* text = static_cast<char*>(std::malloc(size + 1));
  size_t length = 0;
  Require(nlnvcrs(binding, text, size + 1, &length) == 0 && length == size);
  std::free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const auto options = static_cast<std::uint16_t>(data[0] | data[1] << 8);
  NlGlobalContext context{};
  nlrnini(&context);
  context.random_state->value = data[2];
  const char* text = reinterpret_cast<const char*>(data + 3);
  const std::size_t length = size - 3;

  NlAddressIterator* handle = nullptr;
  const std::int32_t result = nladini_t(&context, &handle, text, length, options);
  Require((result == 0) == (handle != nullptr));
  Require(result >= 0 && result <= 4 && result != NLAD_INIT_SLOT_FULL);
  if (handle != nullptr) {
    // Every call hands out an address or exhausts at least one node, and there are at most as
    // many nodes as characters.
    for (std::size_t calls = 0; calls <= length; ++calls) {
      NlnvBinding* connect = nullptr;
      NlnvBinding* forward = nullptr;
      const std::int32_t got = nladget(handle, &connect, &forward);
      Require(got == NLAD_GET_OK || got == NLAD_GET_NONE_LEFT);
      if (got != NLAD_GET_OK) {
        Require(connect == nullptr && forward == nullptr);
        continue;
      }
      RequireWritable(connect);
      RequireWritable(forward);
    }
    NlnvBinding* connect = nullptr;
    NlnvBinding* forward = nullptr;
    Require(nladget(handle, &connect, &forward) == NLAD_GET_NONE_LEFT);
    nladtrm(&handle);
    Require(handle == nullptr);
  }
  nlrntrm(&context);
  return 0;
}
