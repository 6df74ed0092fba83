// Any sequence of insertions, lookups and deletions, with the default functions (where colliding
// keys spread) and with a hash that gives every key one home (plain probing): the table must
// agree with a plain model on what it holds, and a walk must visit every entry once.
//
// Each operation names its key by one input byte, so the model is one list of values per byte
// and the 256 keys are made once: the harness then costs little beside the table itself.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "kelnl/nlht.h"

namespace {

uint32_t OneHome(const void*, uint32_t) { return 5; }

void Check(bool condition) {
  if (!condition) std::abort();
}

// Names with a long common tail share their nlhthskey value. The table keeps key pointers, so
// the keys live as long as the process.
const std::array<std::string, 256>& Keys() {
  static const std::array<std::string, 256> keys = [] {
    std::array<std::string, 256> made;
    for (int i = 0; i < 256; ++i) made[i] = "svc" + std::to_string(i) + ".connect_timeout_for_the_listener";
    return made;
  }();
  return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto& keys = Keys();
  NlHashTable* table = nlhthnew(data[0] % 2 == 0 ? nlhthskey : OneHome, nlhthteq);
  std::array<std::vector<void*>, 256> model;  // the values stored under each key
  std::size_t stored = 0;
  static char values[256];
  for (std::size_t i = 1; i + 1 < size; i += 2) {
    const std::uint8_t operation = data[i] % 4;
    const std::uint8_t which = data[i + 1];
    const std::string& key = keys[which];
    const auto length = static_cast<uint32_t>(key.size());
    std::vector<void*>& held = model[which];
    if (operation <= 1) {
      void* value = &values[(which + i) % 256];
      Check(nlhthput(table, key.data(), length, value) == value);
      held.push_back(value);
      ++stored;
    } else if (operation == 2) {
      void* removed = nlhthdel(table, key.data(), length);
      Check((removed != nullptr) == !held.empty());
      if (removed != nullptr) {
        const auto at = std::find(held.begin(), held.end(), removed);
        Check(at != held.end());
        held.erase(at);
        --stored;
      }
    } else {
      void* found = nlhthget(table, key.data(), length);
      Check(found == nullptr ? held.empty() : std::find(held.begin(), held.end(), found) != held.end());
    }
  }
  Check(nlhthsize(table) == static_cast<int32_t>(stored));
  std::size_t walked = 0;
  int32_t cursor = 0;
  while (nlhthseq(table, &cursor) != nullptr) ++walked;
  Check(walked == stored);
  nlhthfre(table);
  return 0;
}
