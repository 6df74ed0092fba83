#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/os/errno_result.h"
#include "platform/os/os.h"

namespace kelnl::os {

// POSIX streams have no text mode: the stored files are plain text with line feeds, so the
// text-mode letter is dropped and 'b' (which POSIX accepts and ignores) is kept.
std::FILE* OpenStream(const char* name, const char* mode) {
  char native[4];
  std::size_t length = 0;
  for (const char* c = mode; *c != '\0' && length + 1 < sizeof native; ++c) {
    if (*c != 't') native[length++] = *c;
  }
  native[length] = '\0';
  std::FILE* stream = std::fopen(name, native);
  struct stat status {};
  if (stream != nullptr && fstat(fileno(stream), &status) == 0 && S_ISDIR(status.st_mode)) {
    std::fclose(stream);
    errno = EISDIR;
    return nullptr;
  }
  return stream;
}

bool IsRegularFileStream(std::FILE* stream) {
  struct stat status {};
  return fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode);
}

int RemoveFile(const char* name) { return unlink(name) == 0 ? 0 : ErrnoOfFailure(); }

// rename replaces an existing target in one step, so the delete step never fails here.
RenameResult RenameReplacing(const char* old_name, const char* new_name) {
  RenameResult result;
  if (std::rename(old_name, new_name) != 0) {
    result.move_failed = true;
    result.move_error = static_cast<std::uint32_t>(ErrnoOfFailure());
  }
  return result;
}

int StreamDescriptor(std::FILE* stream) { return fileno(stream); }

int ResizeFile(int descriptor, std::uint32_t length) {
  return ftruncate(descriptor, static_cast<off_t>(length)) == 0 ? 0 : ErrnoOfFailure();
}

int ProbeAccess(const char* name, int mode) { return access(name, mode) == 0 ? 0 : ErrnoOfFailure(); }

int ModificationTime(const char* name, std::int64_t* seconds) {
  struct stat status {};
  if (stat(name, &status) != 0) return ErrnoOfFailure();
  *seconds = static_cast<std::int64_t>(status.st_mtime);
  return 0;
}

}  // namespace kelnl::os
