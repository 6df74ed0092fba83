#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/errno_result.h"
#include "platform/os/os.h"

namespace kelnl::os {

int CurrentDirectory(char* buffer, std::size_t size) {
  return getcwd(buffer, size) != nullptr ? 0 : ErrnoOfFailure();
}

int ChangeDirectory(const char* name) { return chdir(name) == 0 ? 0 : ErrnoOfFailure(); }

// The process's umask narrows the permissions, as for any directory the user makes.
int MakeDirectory(const char* name) { return mkdir(name, 0777) == 0 ? 0 : ErrnoOfFailure(); }

}  // namespace kelnl::os
