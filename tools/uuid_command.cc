// kelnl uuid [N]: prints new unique identifiers, one a line, in their 6-2-2-6 text form.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "kelnl/nlui.h"
#include "tools/commands.h"

namespace kelnl::tool {
namespace {

// Enough for any script that wants a batch; a larger count is more likely a typing slip.
constexpr long kMaximumCount = 1000000;

int Usage() {
  std::fprintf(stderr, "usage: kelnl uuid [N]   (N from 1 to %ld, default 1)\n", kMaximumCount);
  return 2;
}

// The count argument: digits only, so that "5x" or "-3" is refused rather than half read.
bool ParseCount(const char* text, long* count) {
  if (text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > kMaximumCount) return false;
  *count = value;
  return true;
}

}  // namespace

int RunUuid(int argc, char** argv) {
  long count = 1;
  if (argc > 1 || (argc == 1 && !ParseCount(argv[0], &count))) return Usage();
  for (long i = 0; i < count; ++i) {
    uint8_t id[NLUI_ID_BYTES];
    const uint32_t status = nluicrt(nullptr, id);
    if (status != NLUI_STATUS_OK) {
      std::fprintf(stderr, "kelnl uuid: the identifier service failed (status 0x%08X)\n", status);
      return 1;
    }
    char text[NLUI_TEXT_BUFFER_SIZE];
    nluits(id, text);
    std::puts(text);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace kelnl::tool
