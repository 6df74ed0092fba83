#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "platform/os/errno_result.h"
#include "platform/os/os.h"

namespace kelnl::os {

// The C runtime already refuses to open a directory as a stream (EACCES).
std::FILE* OpenStream(const char* name, const char* mode) { return std::fopen(name, mode); }

bool IsRegularFileStream(std::FILE* stream) {
  struct _stat64 status {};
  return _fstat64(_fileno(stream), &status) == 0 && (status.st_mode & _S_IFREG) != 0;
}

int RemoveFile(const char* name) { return _unlink(name) == 0 ? 0 : ErrnoOfFailure(); }

// MoveFileA refuses an existing target with ERROR_ALREADY_EXISTS: the target is deleted and the
// move tried again, even when the delete failed, so that the caller learns why the move failed.
RenameResult RenameReplacing(const char* old_name, const char* new_name) {
  RenameResult result;
  if (MoveFileA(old_name, new_name)) return result;
  DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS) {
    if (!DeleteFileA(new_name)) {
      result.target_delete_failed = true;
      result.delete_error = GetLastError();
    }
    if (MoveFileA(old_name, new_name)) return result;
    error = GetLastError();
  }
  result.move_failed = true;
  result.move_error = error;
  return result;
}

int StreamDescriptor(std::FILE* stream) { return _fileno(stream); }

// _chsize takes a long: trace files stay far below 2 GB.
int ResizeFile(int descriptor, std::uint32_t length) {
  return _chsize(descriptor, static_cast<long>(length)) == 0 ? 0 : ErrnoOfFailure();
}

int ProbeAccess(const char* name, int mode) { return _access(name, mode) == 0 ? 0 : ErrnoOfFailure(); }

int ModificationTime(const char* name, std::int64_t* seconds) {
  struct _stat status {};
  if (_stat(name, &status) != 0) return ErrnoOfFailure();
  *seconds = static_cast<std::int64_t>(status.st_mtime);
  return 0;
}

}  // namespace kelnl::os
