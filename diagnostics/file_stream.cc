// File streams: creation from a file-name descriptor, opening, closing and the name they report.
#include <cstdint>
#include <cstring>

#include "diagnostics/file_stream.h"
#include "diagnostics/stream_kinds.h"
#include "diagnostics/stream_report.h"
#include "kelnl/nlfn.h"
#include "kelnl/snlf.h"
#include "platform/core/allocator.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::uint32_t kNameBufferSize = 256;

// Both modes include reading: nldsread reads the same handle the stream writes, at a position of
// its own. Appending keeps what earlier opens wrote; creating truncates.
constexpr std::uint32_t kAppendMode = SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_APPEND;
constexpr std::uint32_t kTruncateMode = SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_CREATE;

std::int32_t OpenFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  NlDiagFile* file = FileOf(stream);
  // A stream made without a name has nothing to hand the file layer; no system call failed, so
  // the record gets no operating-system detail.
  if (file->name_length == 0) return Fail(errors, NLE_FILE_OPEN_FAILED);
  const bool reopened = (file->flags & NLDS_FILE_CLOSED_BEFORE) != 0;
  const bool append = reopened || (stream->options & NLDS_OPTION_APPEND) != 0;
  FILE* handle = nullptr;
  if (snlfohd(OsRecord(errors), append ? kAppendMode : kTruncateMode, file->name, file->name_length, &handle) !=
      0) {
    return FailFromFileLayer(errors, NLE_FILE_OPEN_FAILED);
  }
  file->handle = handle;
  if (!reopened) {
    file->read_position = 0;
    file->position = 0;
  }
  file->flags = static_cast<std::uint8_t>(file->flags & ~NLDS_FILE_CLOSED_BEFORE);
  return 0;
}

std::int32_t CloseFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  NlDiagFile* file = FileOf(stream);
  if (snlfchd(OsRecord(errors), file->handle) != 0) return FailFromFileLayer(errors, NLE_FILE_CLOSE_FAILED);
  file->handle = nullptr;
  file->flags = static_cast<std::uint8_t>(file->flags | NLDS_FILE_CLOSED_BEFORE);
  return 0;
}

std::int32_t DestroyFile(NlPrimaryErrorRecord*, NlDiagStream* stream) {
  NlDiagFile* file = FileOf(stream);
  if ((file->flags & NLDS_FILE_NAME_OWNED) != 0) Release(file->name);
  Release(file);
  stream->kind_data = nullptr;
  return 0;
}

std::int32_t FileInfo(NlPrimaryErrorRecord*, NlDiagStream* stream, void* info_buffer) {
  const NlDiagFile* file = FileOf(stream);
  const std::uint32_t length = file->name_length < NLDS_INFO_NAME_LIMIT ? file->name_length : NLDS_INFO_NAME_LIMIT;
  auto* bytes = static_cast<unsigned char*>(info_buffer);
  // The buffer need not be aligned for a 32-bit word.
  std::memcpy(bytes, &length, sizeof length);
  if (length != 0) std::memcpy(bytes + sizeof length, file->name, length);
  bytes[sizeof length + length] = '\0';
  return 0;
}

// Builds the name from the descriptor and keeps an owned copy of it in the file data.
std::int32_t TakeName(NlPrimaryErrorRecord* errors, NlDiagFile* file, const NlFileNameDesc* desc) {
  char name[kNameBufferSize];
  std::uint32_t length = 0;
  if (nlfncons(OsRecord(errors), desc, name, sizeof name, &length) != 0) {
    return FailFromFileLayer(errors, NLE_FILE_NAME_FAILED);
  }
  if (length == 0) return 0;
  auto* owned = static_cast<char*>(Allocate(length));
  if (owned == nullptr) return Fail(errors, NLE_STREAM_NO_MEMORY);
  std::memcpy(owned, name, length);
  file->name = owned;
  file->name_length = length;
  file->flags = static_cast<std::uint8_t>(file->flags | NLDS_FILE_NAME_OWNED);
  return 0;
}

}  // namespace

std::int32_t CreateFileData(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const NlFileNameDesc* desc) {
  UniqueBlock<NlDiagFile> file(static_cast<NlDiagFile*>(AllocateZeroed(1, sizeof(NlDiagFile))));
  if (file == nullptr) return Fail(errors, NLE_STREAM_NO_MEMORY);
  file->size_limit = NLDS_NO_SIZE_LIMIT;
  if (desc != nullptr) {
    const std::int32_t named = TakeName(errors, file.get(), desc);
    if (named != 0) return named;
  }
  stream->kind_data = file.release();
  return 0;
}

void InstallFileOperations(NlDiagStream* stream) {
  stream->op_open = OpenFile;
  stream->op_close = CloseFile;
  stream->op_destroy = DestroyFile;
  stream->op_read = ReadFile;
  stream->op_write = WriteFile;
  stream->op_vfprintf = PrintFile;
  stream->op_flush = FlushFile;
  stream->op_info = FileInfo;
}

}  // namespace kelnl::diagnostics
