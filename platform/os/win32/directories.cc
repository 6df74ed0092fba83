#include <direct.h>

#include "platform/os/errno_result.h"
#include "platform/os/os.h"

namespace kelnl::os {

int CurrentDirectory(char* buffer, std::size_t size) {
  if (size > 0x7fffffff) size = 0x7fffffff;
  return _getcwd(buffer, static_cast<int>(size)) != nullptr ? 0 : ErrnoOfFailure();
}

int ChangeDirectory(const char* name) { return _chdir(name) == 0 ? 0 : ErrnoOfFailure(); }

int MakeDirectory(const char* name) { return _mkdir(name) == 0 ? 0 : ErrnoOfFailure(); }

}  // namespace kelnl::os
