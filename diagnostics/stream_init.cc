// Creating and destroying streams, and reinstalling the operation table of a copied record.
#include <cstddef>
#include <cstdint>

#include "diagnostics/stream_kinds.h"
#include "diagnostics/stream_report.h"
#include "kelnl/nlds.h"
#include "platform/core/allocator.h"

using kelnl::diagnostics::Fail;

// Other components of the product reach into stream records and file data: on 32-bit Windows
// the flag bytes share the first word pair and every later field sits at its own word.
static_assert(sizeof(void*) != 4 ||
              (offsetof(NlDiagStream, kind) == 2 && offsetof(NlDiagStream, options) == 4 &&
               offsetof(NlDiagStream, state) == 5 && offsetof(NlDiagStream, kind_data) == 8 &&
               offsetof(NlDiagStream, op_open) == 12 && offsetof(NlDiagStream, op_info) == 40 &&
               offsetof(NlDiagStream, name_desc) == 44 && offsetof(NlDiagStream, next) == 52 &&
               offsetof(NlDiagStream, sequence) == 56 && sizeof(NlDiagStream) == 60));
static_assert(sizeof(void*) != 4 || (offsetof(NlDiagFile, read_position) == 4 && offsetof(NlDiagFile, name) == 12 &&
                                     offsetof(NlDiagFile, size_limit) == 20 && offsetof(NlDiagFile, flags) == 24));

namespace {

// The first kind present, in the order standard output, standard error, file, pair; 0 for none.
std::uint16_t ChooseKind(std::uint8_t kind_bits) {
  for (const std::uint32_t kind :
       {NLDS_KIND_STANDARD_OUTPUT, NLDS_KIND_STANDARD_ERROR, NLDS_KIND_FILE, NLDS_KIND_PAIR}) {
    if ((kind_bits & kind) != 0) return static_cast<std::uint16_t>(kind);
  }
  return 0;
}

bool IsStandardKind(std::uint16_t kind) {
  return kind == NLDS_KIND_STANDARD_OUTPUT || kind == NLDS_KIND_STANDARD_ERROR;
}

std::int32_t CreateKindData(NlPrimaryErrorRecord* errors, NlDiagStream* stream, void* kind_argument) {
  using namespace kelnl::diagnostics;
  switch (stream->kind) {
    case NLDS_KIND_FILE:
      return CreateFileData(errors, stream, static_cast<const NlFileNameDesc*>(kind_argument));
    case NLDS_KIND_PAIR:
      return CreatePairData(errors, stream, static_cast<NlDiagStream* const*>(kind_argument));
    default:
      return CreateStandardData(errors, stream);
  }
}

}  // namespace

extern "C" int32_t nldsinit(NlPrimaryErrorRecord* errors, NlDiagStream** stream_slot, void* context,
                            uint8_t kind_bits, uint8_t options, void* kind_argument) {
  // Callers hand over their parameter table; no kind of stream has a setting to read from it.
  (void)context;
  if ((kind_bits & NLDS_KIND_REFUSED) != 0) return Fail(errors, NLE_STREAM_KIND_REFUSED);
  if (stream_slot == nullptr) return Fail(errors, NLE_STREAM_NULL);
  *stream_slot = nullptr;
  const std::uint16_t kind = ChooseKind(kind_bits);
  // Not pushed: callers probe with kind sets this library may not know and try another.
  if (kind == 0) return NLE_STREAM_KIND_UNSUPPORTED;

  kelnl::UniqueBlock<NlDiagStream> stream(
      static_cast<NlDiagStream*>(kelnl::AllocateZeroed(1, sizeof(NlDiagStream))));
  if (stream == nullptr) return Fail(errors, NLE_STREAM_NO_MEMORY);
  stream->kind = kind;
  stream->options = IsStandardKind(kind) ? 0 : options;
  const std::int32_t result = CreateKindData(errors, stream.get(), kind_argument);
  if (result != 0) return result;
  kelnl::diagnostics::InstallOperations(stream.get());
  stream->state = NLDS_STATE_INITIALISED;
  *stream_slot = stream.release();
  return 0;
}

extern "C" int32_t nldsdestroy(NlPrimaryErrorRecord* errors, NlDiagStream** stream_slot) {
  if (stream_slot == nullptr || *stream_slot == nullptr) return Fail(errors, NLE_STREAM_NULL);
  NlDiagStream* stream = *stream_slot;
  if ((stream->state & NLDS_STATE_INITIALISED) == 0) return Fail(errors, NLE_STREAM_NOT_INITIALISED);
  std::int32_t result = 0;
  if ((stream->state & NLDS_STATE_OPEN) != 0) {
    // A stream that will not close keeps its resources and stays with the caller; one that
    // closed after its final flush failed is destroyed, and that failure is the result.
    result = nldsclose(errors, stream);
    if ((stream->state & NLDS_STATE_OPEN) != 0) return result;
  }
  stream->op_destroy(errors, stream);
  stream->state = static_cast<std::uint8_t>(stream->state & ~NLDS_STATE_INITIALISED);
  kelnl::Release(stream);
  *stream_slot = nullptr;
  return result;
}

extern "C" void nldscppt(NlDiagStream* stream, NlDiagStream** other_slot) {
  if (stream == nullptr || other_slot == nullptr || *other_slot == nullptr) return;
  if (!kelnl::diagnostics::InstallOperations(stream)) return;
  NlDiagStream* other = *other_slot;
  other->op_open = stream->op_open;
  other->op_close = stream->op_close;
  other->op_destroy = stream->op_destroy;
  other->op_read = stream->op_read;
  other->op_write = stream->op_write;
  other->op_vfprintf = stream->op_vfprintf;
  other->op_flush = stream->op_flush;
  other->op_info = stream->op_info;
}
