// Reading, writing and flushing a file stream. Reads and writes share one handle but keep
// separate positions: a read goes to its own position and then puts the handle back.
#include <cstdarg>
#include <cstdint>

#include "diagnostics/file_stream.h"
#include "diagnostics/stream_report.h"
#include "diagnostics/trace_ring.h"
#include "kelnl/snlf.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::int32_t kFromStart = 0;

// Where the handle stands now; the position is also kept in the file data.
std::int32_t TellPosition(NlPrimaryErrorRecord* errors, NlDiagFile* file, std::uint32_t* position) {
  std::int32_t current = 0;
  if (snlftel(OsRecord(errors), file->handle, &current) != 0) {
    return FailFromFileLayer(errors, NLE_FILE_POSITION_FAILED);
  }
  file->position = static_cast<std::uint32_t>(current);
  *position = file->position;
  return 0;
}

// Refuses a write that would start at or beyond the file's size limit. Without a limit there is
// nothing to refuse: every position the 32-bit file layer reports lies below it. The position is
// then not asked for, which matters to trace files: the C runtime forgets a stream's position at
// every flush, so asking costs a system call for each record.
std::int32_t CheckSize(NlPrimaryErrorRecord* errors, NlDiagFile* file) {
  if (file->size_limit == NLDS_NO_SIZE_LIMIT) return 0;
  std::uint32_t position = 0;
  const std::int32_t told = TellPosition(errors, file, &position);
  if (told != 0) return told;
  // The limit is a rule of this stream, not a failure of the system: no operating-system detail.
  return position >= file->size_limit ? Fail(errors, NLE_FILE_SIZE_LIMIT) : 0;
}

bool MayMoveRingOn(const NlDiagStream* stream) {
  return (stream->options & NLDS_OPTION_APPEND) == 0 && stream->trace != nullptr &&
         (stream->state & NLDS_STATE_CYCLING) != 0;
}

}  // namespace

std::int32_t ReadFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream, void* buffer, std::uint32_t size,
                      std::uint32_t* length_out) {
  NlDiagFile* file = FileOf(stream);
  std::uint32_t count = 0;
  if (length_out != nullptr) *length_out = 0;
  std::uint32_t write_position = 0;
  const std::int32_t told = TellPosition(errors, file, &write_position);
  if (told != 0) return told;
  if (snlfsek(OsRecord(errors), file->handle, kFromStart, static_cast<std::int32_t>(file->read_position)) != 0) {
    return FailFromFileLayer(errors, NLE_FILE_SEEK_FAILED);
  }
  if (snlfrd(OsRecord(errors), file->handle, buffer, size, &count) != 0) {
    // Put the handle back for the writer even so; the record keeps the read's detail.
    (void)snlfsek(nullptr, file->handle, kFromStart, static_cast<std::int32_t>(write_position));
    return FailFromFileLayer(errors, NLE_FILE_READ_FAILED);
  }
  file->read_position += count;
  if (length_out != nullptr) *length_out = count;
  if (snlfsek(OsRecord(errors), file->handle, kFromStart, static_cast<std::int32_t>(write_position)) != 0) {
    return FailFromFileLayer(errors, NLE_FILE_SEEK_FAILED);
  }
  return 0;
}

std::int32_t WriteFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const void* buffer,
                       std::uint32_t length) {
  NlDiagFile* file = FileOf(stream);
  const std::int32_t checked = CheckSize(errors, file);
  if (checked != 0) return checked;
  if (snlfwrt(OsRecord(errors), file->handle, buffer, length) != 0) {
    return FailFromFileLayer(errors, NLE_FILE_WRITE_FAILED);
  }
  return 0;
}

std::int32_t PrintFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                       va_list arguments) {
  NlDiagFile* file = FileOf(stream);
  const std::int32_t checked = CheckSize(errors, file);
  if (checked != 0) return checked;
  if (snlfvfp(OsRecord(errors), file->handle, format, arguments) != 0) {
    return FailFromFileLayer(errors, NLE_FILE_PRINT_FAILED);
  }
  // Only formatted writes move a ring on: trace records are written that way, and a file is
  // left between two records, never inside one. An appending stream never cycles.
  return MayMoveRingOn(stream) ? MoveTraceRingOn(errors, stream->trace) : 0;
}

std::int32_t FlushFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  if (snlffls(OsRecord(errors), FileOf(stream)->handle) != 0) return FailFromFileLayer(errors, NLE_FILE_FLUSH_FAILED);
  return 0;
}

}  // namespace kelnl::diagnostics
