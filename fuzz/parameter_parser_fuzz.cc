// Any text read as a command-line parameter source, into a table and in lookup mode: no crash,
// leak, hang or sanitizer report, and every stored value can be read back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kelnl/nlpa.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  char* argv[] = {text.data()};

  NlPrimaryErrorRecord record{};
  NlParameterTable* table = nullptr;
  nlpains(&record, &table, 0, nullptr, nullptr, 0, nullptr, nullptr, 1, argv);
  if (table == nullptr) return 0;
  int32_t state = 0;
  char* name = nullptr;
  char* value = nullptr;
  std::string first_name;
  while (nlpaseq(&record, table, &state, &name, &value) == 0 && state != 0) {
    if (first_name.empty()) first_name = name;
    uint32_t count = 0;
    nlpagvc(&record, table, name, static_cast<uint32_t>(std::strlen(name)), &count);
    for (uint32_t i = 0; i <= count && i < 64; ++i) {
      char* element = nullptr;
      uint32_t length = 0;
      record = {};
      nlpagsp(&record, table, name, static_cast<uint32_t>(std::strlen(name)), static_cast<int32_t>(i), &element,
              &length);
    }
  }
  nlpatrm(&record, &table);

  if (!first_name.empty()) {
    record = {};
    char* found = nullptr;
    uint32_t found_size = 0;
    nlpains(&record, nullptr, NLPA_LOOKUP_MODE, nullptr, first_name.data(),
            static_cast<uint32_t>(first_name.size()), &found, &found_size, 1, argv);
    std::free(found);
  }
  return 0;
}
