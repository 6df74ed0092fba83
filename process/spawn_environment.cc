// The environment of spawned programs: the ENVS list of an address, and the operating-system
// hooks snlpcenvini, snlpcgetenvv and snlpcdetach.
#include <cctype>
#include <cstring>

#include "kelnl/nlpc.h"
#include "platform/core/allocator.h"
#include "platform/os/os.h"
#include "process/spawn_internal.h"

namespace kelnl::process {
namespace {

// The most environment text an address may hand on, terminators included; the block a Windows
// program's environment may grow to from one spawn is of that size too.
constexpr std::size_t kMaximumEnvironmentText = 32767;

// A last piece without '=' cannot be an item of its own, and no item's value takes it either.
std::size_t CutTrailingPiece(const char* text, std::size_t length) {
  const void* found = nullptr;
  for (std::size_t i = length; i > 0; --i) {
    if (text[i - 1] == ',') {
      found = text + i - 1;
      break;
    }
  }
  if (found == nullptr) return length;
  const std::size_t comma = static_cast<std::size_t>(static_cast<const char*>(found) - text);
  if (std::memchr(text + comma + 1, '=', length - comma - 1) != nullptr) return length;
  return comma;
}

// Where the item that starts at start ends: at the last comma before the '=' of the next item.
std::size_t ItemEnd(const char* text, std::size_t start, std::size_t length) {
  const void* equals = std::memchr(text + start, '=', length - start);
  if (equals == nullptr) return length;
  std::size_t last_comma = length;
  for (std::size_t i = static_cast<std::size_t>(static_cast<const char*>(equals) - text) + 1; i < length; ++i) {
    if (text[i] == ',') {
      last_comma = i;
    } else if (text[i] == '=' && last_comma != length) {
      return last_comma;
    }
  }
  return length;
}

}  // namespace

std::int32_t SplitEnvironmentText(char* text, std::size_t length, char** items) {
  length = CutTrailingPiece(text, length);
  text[length] = '\0';
  std::int32_t count = 0;
  std::size_t start = 0;
  while (start < length) {
    const std::size_t end = ItemEnd(text, start, length);
    items[count++] = text + start;
    text[end] = '\0';
    start = end + 1;
  }
  return count;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return EqualsIgnoringCase(std::string_view(text.data(), prefix.size()), prefix);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void LowerInPlace(char* text) {
  for (; *text != '\0'; ++text) *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
}

bool ReadEnvironment(const char* name, char* buffer, std::size_t size) {
  const long length = os::GetEnvironment(name, std::strlen(name), buffer, size - 1);
  if (length < 0) return false;
  buffer[static_cast<std::size_t>(length) < size - 1 ? static_cast<std::size_t>(length) : size - 1] = '\0';
  return true;
}

}  // namespace kelnl::process

// The list is kept in one block: the pointers, a null, then the texts they point to.
extern "C" int32_t snlpcenvini(NlSpawnRecord* record, char** list, int32_t count) {
  record->envv = nullptr;
  record->envc = 0;
  if (!kelnl::os::SpawnTakesAddressEnvironment() || list == nullptr || count <= 0) return 0;
  std::size_t text_bytes = 0;
  for (int32_t i = 0; i < count; ++i) text_bytes += std::strlen(list[i]) + 1;
  if (text_bytes > kelnl::process::kMaximumEnvironmentText) return -1;
  const std::size_t pointer_bytes = (static_cast<std::size_t>(count) + 1) * sizeof(char*);
  auto* block = static_cast<char**>(kelnl::Allocate(pointer_bytes + text_bytes));
  if (block == nullptr) return -1;
  char* next = reinterpret_cast<char*>(block) + pointer_bytes;
  for (int32_t i = 0; i < count; ++i) {
    const std::size_t size = std::strlen(list[i]) + 1;
    std::memcpy(next, list[i], size);
    block[i] = next;
    next += size;
  }
  block[count] = nullptr;
  record->envv = block;
  record->envc = count;
  return 0;
}

extern "C" int32_t snlpcgetenvv(char*** out) {
  if (out != nullptr) *out = kelnl::os::EnvironmentList();
  return 0;
}

extern "C" int32_t snlpcdetach(void) { return 0; }
