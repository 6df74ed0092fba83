// Process addresses of any content read into spawn records (nothing is started): every argument
// and text must lie inside the record's buffer, the lists must end where they say, and the
// environment split must stay inside its text.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kelnl/nlnv.h"
#include "kelnl/nlpc.h"
#include "process/spawn_internal.h"

namespace {

bool InBuffer(const NlSpawnRecord& record, const char* text) {
  if (text == nullptr) return true;
  if (text < record.buffer || text >= record.buffer + record.buffer_size) return false;
  return std::memchr(text, '\0', static_cast<std::size_t>(record.buffer + record.buffer_size - text)) != nullptr;
}

void CheckRecord(const NlSpawnRecord& record) {
  if (!InBuffer(record, record.program) || !InBuffer(record, record.type) || !InBuffer(record, record.in) ||
      !InBuffer(record, record.out)) {
    std::abort();
  }
  if (record.argv == nullptr) return;
  int count = 0;
  for (; record.argv[count] != nullptr; ++count) {
    if (count >= record.argc || !InBuffer(record, record.argv[count])) std::abort();
  }
  if (count == 0) std::abort();
}

void CheckSplit(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t commas = static_cast<std::size_t>(std::count(text.begin(), text.end(), ','));
  std::string copy = text + '\0';
  auto** items = new char*[commas + 1];
  const std::int32_t count = kelnl::process::SplitEnvironmentText(copy.data(), text.size(), items);
  for (std::int32_t i = 0; i < count; ++i) {
    if (items[i] < copy.data() || items[i] >= copy.data() + copy.size()) std::abort();
  }
  delete[] items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckSplit(data, size);
  NlnvBinding* binding = nullptr;
  if (nlnvcrb(reinterpret_cast<const char*>(data), size, &binding, nullptr) != 0) return 0;
  if (nlnvcbp(nlpcptab, "ADDRESS", 7, &binding) == 0) {
    NlSpawnRecord record;
    if (nlpcaini(nullptr, binding, &record) == 0) {
      CheckRecord(record);
      nlpcatrm(nullptr, &record);
    }
  }
  nlnvdeb(binding);
  return 0;
}
