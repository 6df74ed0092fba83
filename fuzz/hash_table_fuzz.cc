// Any sequence of insertions, lookups and deletions, with the default functions (where colliding
// keys spread) and with a hash that gives every key one home (plain probing): the table must
// agree with a plain multimap on what it holds, and a walk must visit every entry once.
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>

#include "kelnl/nlht.h"

namespace {

uint32_t OneHome(const void*, uint32_t) { return 5; }

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  NlHashTable* table = nlhthnew(data[0] % 2 == 0 ? nlhthskey : OneHome, nlhthteq);
  std::deque<std::string> keys;  // stable storage: the table keeps key pointers
  std::multimap<std::string, void*> model;
  static char values[256];
  for (std::size_t i = 1; i + 1 < size; i += 2) {
    const std::uint8_t operation = data[i] % 4;
    // Names with a long common tail share their nlhthskey value.
    const std::string key = "svc" + std::to_string(data[i + 1]) + ".connect_timeout_for_the_listener";
    const auto length = static_cast<uint32_t>(key.size());
    if (operation <= 1) {
      keys.push_back(key);
      void* value = &values[(data[i + 1] + i) % 256];
      Check(nlhthput(table, keys.back().data(), length, value) == value);
      model.emplace(key, value);
    } else if (operation == 2) {
      void* removed = nlhthdel(table, key.data(), length);
      auto [first, last] = model.equal_range(key);
      Check((removed != nullptr) == (first != last));
      for (; removed != nullptr && first != last && first->second != removed; ++first) {
      }
      if (removed != nullptr) {
        Check(first != last);
        model.erase(first);
      }
    } else {
      void* found = nlhthget(table, key.data(), length);
      auto [first, last] = model.equal_range(key);
      Check((found != nullptr) == (first != last));
    }
  }
  Check(nlhthsize(table) == static_cast<int32_t>(model.size()));
  std::size_t walked = 0;
  int32_t cursor = 0;
  while (nlhthseq(table, &cursor) != nullptr) ++walked;
  Check(walked == model.size());
  nlhthfre(table);
  return 0;
}
