#include "diagnostics/trace_ring.h"

#include <cstddef>

#include "diagnostics/file_stream.h"
#include "diagnostics/stream_report.h"
#include "diagnostics/trace_stream.h"
#include "kelnl/snlf.h"
#include "platform/os/os.h"

// The trace context is shared with the product's other components: pinned on 32-bit targets.
static_assert(sizeof(void*) != 4 ||
              (offsetof(NlTraceContext, events) == 4 && offsetof(NlTraceContext, filters) == 68 &&
               offsetof(NlTraceContext, level) == 72 && offsetof(NlTraceContext, flags) == 73 &&
               offsetof(NlTraceContext, external_handle) == 76 && offsetof(NlTraceContext, record_length) == 100 &&
               offsetof(NlTraceContext, context) == 104 && offsetof(NlTraceContext, file_length) == 108 &&
               offsetof(NlTraceContext, secondary_level) == 116 && sizeof(NlTraceContext) == 120));

namespace kelnl::diagnostics {
namespace {

constexpr std::uint32_t kBytesPerKilobyte = 1024;

bool IsCyclingFile(const NlDiagStream* stream) {
  return stream != nullptr && stream->kind == NLDS_KIND_FILE && stream->kind_data != nullptr &&
         (stream->state & NLDS_STATE_CYCLING) != 0;
}

// Computed in unsigned arithmetic: a file length of 0 wraps to a threshold no file reaches, which
// is what "no cycling" means.
std::uint32_t LeavingPosition(const NlTraceContext* trace) {
  return static_cast<std::uint32_t>(trace->file_length) * kBytesPerKilobyte - kRingMargin;
}

// Streams without an operating-system descriptor are left as they are; the cut only tidies.
void CutAt(FILE* handle, std::uint32_t length) {
  const int descriptor = os::StreamDescriptor(handle);
  if (descriptor >= 0) (void)os::ResizeFile(descriptor, length);
}

}  // namespace

std::int32_t MoveTraceRingOn(NlPrimaryErrorRecord* errors, NlTraceContext* trace) {
  NlDiagStream* current = trace->stream;
  if (!IsCyclingFile(current)) return 0;
  NlDiagFile* file = FileOf(current);
  std::int32_t position = 0;
  if (snlftel(OsRecord(errors), file->handle, &position) != 0) {
    return FailFromFileLayer(errors, NLE_FILE_POSITION_FAILED);
  }
  file->position = static_cast<std::uint32_t>(position);
  if (file->position < LeavingPosition(trace)) return 0;

  const std::int32_t sequence = current->sequence == kLastSequence ? 0 : current->sequence;
  if (snlfsek(OsRecord(errors), file->handle, 0, 0) != 0) {
    // A file that cannot be rewound would be overwritten from the wrong place: it stops cycling.
    current->state = static_cast<std::uint8_t>(current->state & ~NLDS_STATE_CYCLING);
    return FailFromFileLayer(errors, NLE_FILE_SEEK_FAILED);
  }
  CutAt(file->handle, file->position);
  // A ring is closed by its last file pointing back to the first; a lone file without a next
  // is its own ring and starts again from its beginning.
  NlDiagStream* following = current->next != nullptr ? current->next : current;
  MoveTraceStream(trace, following);
  following->sequence = sequence + 1;
  return 0;
}

}  // namespace kelnl::diagnostics
