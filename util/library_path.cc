// The path of one of the product's own shared libraries: [home, "bin"] + "kel" + short name +
// "8" + the platform's library suffix, for example C:\T\bin\kelnl8.dll.
#include <cstring>

#include "kelnl/snlpc.h"
#include "platform/core/core.h"
#include "platform/os/os.h"

namespace {

constexpr std::size_t kHomeLimit = 256;
constexpr std::uint32_t kNoHomeDirectory = 1;

struct PathWriter {
  char* out;
  void Text(const char* text, std::size_t length) {
    std::memcpy(out, text, length);
    out += length;
  }
};

}  // namespace

extern "C" int32_t snldlgln(const char* short_name, char* path, uint32_t size, uint32_t* length, uint32_t flags) {
  if (short_name == nullptr || path == nullptr || length == nullptr) return -1;
  const std::size_t name_length = std::strlen(short_name);
  const char* suffix = kelnl::os::SharedLibrarySuffix();
  const std::size_t suffix_length = std::strlen(suffix);
  const char separator = kelnl::os::PathSeparator();

  // Without TARVO_HOME there is no product directory to name: the bare library name is built, so
  // that the system's library search finds it.
  char home[kHomeLimit];
  long home_length = -1;
  if ((flags & kNoHomeDirectory) == 0) {
    SlCoreError error{};
    home_length = slzgetevar(&error, "TARVO_HOME", 10, home, sizeof home, 0);
  }
  const bool with_home = home_length >= 0;
  const std::size_t full = (with_home ? static_cast<std::size_t>(home_length) + 5 : 0) + 3 + name_length + 1 + suffix_length;
  if (full >= size) return -1;

  PathWriter writer{path};
  if (with_home) {
    writer.Text(home, static_cast<std::size_t>(home_length));
    const char bin[] = {separator, 'b', 'i', 'n', separator};
    writer.Text(bin, sizeof bin);
  }
  writer.Text("kel", 3);
  writer.Text(short_name, name_length);
  writer.Text("8", 1);
  writer.Text(suffix, suffix_length);
  *writer.out = '\0';
  *length = static_cast<uint32_t>(full);
  return 0;
}
