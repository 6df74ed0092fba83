#include "platform/nls/message_path.h"

#include <cctype>
#include <cstring>

#include "platform/core/core.h"
#include "platform/nls/message_homes.h"
#include "platform/os/os.h"

namespace kelnl::nls {
namespace {

constexpr char kHomeVariable[] = "TARVO_HOME";
constexpr char kMessageDirectory[] = "mesg";
constexpr char kMessageExtension[] = ".msg";
// Room for a home and the parts below it; a longer path cannot name a message file.
constexpr std::size_t kPathCapacity = 1024;

// The homes compiled in by the build (platform/nls/CMakeLists.txt).
constexpr const char* kCompiledHomes[] = {
    KELNL_INSTALLED_HOME,
#ifdef KELNL_BUILD_TREE_HOME
    KELNL_BUILD_TREE_HOME,
#endif
};

class PathWriter {
 public:
  PathWriter(char* out, std::size_t size) : out_(out), size_(size) {}

  void Append(std::string_view text, bool lower_case = false) {
    for (char c : text) {
      if (length_ + 1 >= size_) {
        overflow_ = true;
        return;
      }
      out_[length_++] = lower_case ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
    }
  }
  void AppendSeparator() { Append(std::string_view(&separator_, 1)); }
  // A home may be written with forward slashes on Windows too; either ending needs no separator.
  bool EndsWithSeparator() const {
    return length_ > 0 && (out_[length_ - 1] == separator_ || out_[length_ - 1] == '/');
  }
  bool Finish() {
    if (size_ == 0) return false;
    out_[overflow_ ? 0 : length_] = '\0';
    return !overflow_;
  }

 private:
  char* out_;
  std::size_t size_;
  std::size_t length_ = 0;
  bool overflow_ = false;
  const char separator_ = kelnl::os::PathSeparator();
};

std::FILE* OpenUnder(std::string_view home, const char* product, const char* facility,
                     const char* language) {
  char path[kPathCapacity];
  if (!ComposeMessageFilePath(home, product, facility, language, path, sizeof path)) return nullptr;
  return std::fopen(path, "rb");
}

}  // namespace

bool ComposeMessageFilePath(std::string_view home, const char* product, const char* facility,
                            const char* language, char* out, std::size_t size) {
  PathWriter path(out, size);
  path.Append(home);
  if (!path.EndsWithSeparator()) path.AppendSeparator();
  path.Append(product, true);
  path.AppendSeparator();
  path.Append(kMessageDirectory);
  path.AppendSeparator();
  path.Append(facility, true);
  path.Append(language, true);
  path.Append(kMessageExtension);
  return path.Finish();
}

std::FILE* OpenMessageFile(const char* product, const char* facility, const char* language) {
  char home[kPathCapacity];
  const std::int32_t length = slzgetevar(nullptr, kHomeVariable, sizeof kHomeVariable - 1, home,
                                         sizeof home, 0);
  // A value that filled the whole buffer may have been cut, and a cut home names nothing.
  if (length >= static_cast<std::int32_t>(sizeof home)) return nullptr;
  if (length > 0) return OpenUnder(std::string_view(home, static_cast<std::size_t>(length)), product,
                                   facility, language);
  for (const char* compiled : kCompiledHomes) {
    if (std::FILE* file = OpenUnder(compiled, product, facility, language)) return file;
  }
  return nullptr;
}

}  // namespace kelnl::nls
