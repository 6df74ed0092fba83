// A pair of streams that receives everything twice. Both members are always called, so that one
// failing sink does not silence the other; the pair then reports its own code. The members stay
// the caller's, and a member is opened by its own first write, not by the pair's open.
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "diagnostics/stream_kinds.h"
#include "diagnostics/stream_report.h"
#include "platform/core/allocator.h"

namespace kelnl::diagnostics {
namespace {

NlDiagPair* PairOf(const NlDiagStream* stream) { return static_cast<NlDiagPair*>(stream->kind_data); }

std::int32_t NothingToDo(NlPrimaryErrorRecord*, NlDiagStream*) { return 0; }

std::int32_t DestroyPair(NlPrimaryErrorRecord*, NlDiagStream* stream) {
  Release(stream->kind_data);
  stream->kind_data = nullptr;
  return 0;
}

std::int32_t BothOrFail(NlPrimaryErrorRecord* errors, std::int32_t first, std::int32_t second,
                        std::int32_t code) {
  return first != 0 || second != 0 ? Fail(errors, code) : 0;
}

std::int32_t WritePair(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const void* buffer,
                       std::uint32_t length) {
  const NlDiagPair* pair = PairOf(stream);
  const std::int32_t first = nldswrite(errors, pair->first, buffer, length);
  const std::int32_t second = nldswrite(errors, pair->second, buffer, length);
  return BothOrFail(errors, first, second, NLE_PAIR_WRITE_FAILED);
}

// Each member consumes an argument list of its own.
std::int32_t PrintMember(NlPrimaryErrorRecord* errors, NlDiagStream* member, const char* format,
                         va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  const std::int32_t result = nldsvfprintf(errors, member, format, copy);
  va_end(copy);
  return result;
}

std::int32_t PrintPair(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const char* format,
                       va_list arguments) {
  const NlDiagPair* pair = PairOf(stream);
  const std::int32_t first = PrintMember(errors, pair->first, format, arguments);
  const std::int32_t second = PrintMember(errors, pair->second, format, arguments);
  return BothOrFail(errors, first, second, NLE_PAIR_PRINT_FAILED);
}

std::int32_t FlushPair(NlPrimaryErrorRecord* errors, NlDiagStream* stream) {
  const NlDiagPair* pair = PairOf(stream);
  const std::int32_t first = nldsflush(errors, pair->first);
  const std::int32_t second = nldsflush(errors, pair->second);
  return BothOrFail(errors, first, second, NLE_PAIR_FLUSH_FAILED);
}

std::int32_t PairInfo(NlPrimaryErrorRecord*, NlDiagStream* stream, void* info_buffer) {
  const NlDiagPair* pair = PairOf(stream);
  NlDiagStream* const members[2] = {pair->first, pair->second};
  std::memcpy(info_buffer, members, sizeof members);
  return 0;
}

}  // namespace

// The members are fixed at creation and the new pair cannot be one of them, so a pair can never
// reach itself through its members.
std::int32_t CreatePairData(NlPrimaryErrorRecord* errors, NlDiagStream* stream, NlDiagStream* const* members) {
  if (members == nullptr) return Fail(errors, NLE_PAIR_NO_MEMBERS);
  auto* pair = static_cast<NlDiagPair*>(AllocateZeroed(1, sizeof(NlDiagPair)));
  if (pair == nullptr) return Fail(errors, NLE_STREAM_NO_MEMORY);
  pair->first = members[0];
  pair->second = members[1];
  stream->kind_data = pair;
  return 0;
}

void InstallPairOperations(NlDiagStream* stream) {
  stream->op_open = NothingToDo;
  stream->op_close = NothingToDo;
  stream->op_destroy = DestroyPair;
  stream->op_read = RefuseRead;
  stream->op_write = WritePair;
  stream->op_vfprintf = PrintPair;
  stream->op_flush = FlushPair;
  stream->op_info = PairInfo;
}

}  // namespace kelnl::diagnostics
