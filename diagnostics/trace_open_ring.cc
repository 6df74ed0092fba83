#include "diagnostics/trace_open_ring.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "diagnostics/file_stream.h"
#include "diagnostics/stream_report.h"
#include "kelnl/snlf.h"
#include "platform/core/allocator.h"

namespace kelnl::diagnostics {
namespace {

constexpr std::size_t kNameBufferSize = 256;
// A base name with room for the ring number after it; longer ones cannot make a file name.
constexpr std::size_t kBaseBufferSize = kNameBufferSize + 12;

// The ring descriptor of the files: the trace file's descriptor with its base name followed by
// a file number, in a buffer of its own.
class RingName {
 public:
  explicit RingName(const NlFileNameDesc& desc)
      : desc_(desc), base_(desc.base_name != nullptr ? desc.base_name : "", desc.base_name_length) {}

  bool Number(std::int32_t number) {
    const int length =
        std::snprintf(buffer_, sizeof buffer_, "%.*s%d", static_cast<int>(base_.size()), base_.data(), number);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer_) return false;
    desc_.base_name = buffer_;
    desc_.base_name_length = static_cast<std::uint32_t>(length);
    return true;
  }
  const NlFileNameDesc* desc() const { return &desc_; }

 private:
  NlFileNameDesc desc_;
  std::string_view base_;
  char buffer_[kBaseBufferSize] = {};
};

// Gives the first file its ring name: the stream is renamed first, then the file moved, which
// replaces a file of that name left by an earlier ring.
bool RenameFirstFile(NlPrimaryErrorRecord* errors, NlDiagStream* stream, const NlFileNameDesc* ring_desc) {
  char name[kNameBufferSize];
  std::uint32_t length = 0;
  if (nlfncons(OsRecord(errors), ring_desc, name, sizeof name, &length) != 0) {
    FailFromFileLayer(errors, NLE_FILE_NAME_FAILED);
    return false;
  }
  if (length == 0) return true;
  auto* owned = static_cast<char*>(Allocate(length));
  if (owned == nullptr) {
    Fail(errors, NLE_STREAM_NO_MEMORY);
    return false;
  }
  std::memcpy(owned, name, length);
  NlDiagFile* file = FileOf(stream);
  char* old_name = file->name;
  const std::uint32_t old_length = file->name_length;
  const bool old_owned = (file->flags & NLDS_FILE_NAME_OWNED) != 0;
  file->name = owned;
  file->name_length = length;
  file->flags = static_cast<std::uint8_t>(file->flags | NLDS_FILE_NAME_OWNED);
  // A stream without a name never had a file to move.
  const bool moved = old_length == 0 || snlfrnm(OsRecord(errors), old_name, old_length, owned, length) == 0;
  if (old_owned) Release(old_name);
  return moved;
}

// Closes the first file, renames it and opens it again, truncated: the ring starts empty.
bool RestartFirstFile(NlPrimaryErrorRecord* errors, NlDiagStream* first, const NlFileNameDesc* ring_desc) {
  // A trace that is on through its events alone may not have opened its stream.
  if ((first->state & NLDS_STATE_OPEN) != 0 && nldsclose(errors, first) != 0) return false;
  if (!RenameFirstFile(errors, first, ring_desc)) return false;
  NlDiagFile* file = FileOf(first);
  file->flags = static_cast<std::uint8_t>(file->flags & ~NLDS_FILE_CLOSED_BEFORE);
  return nldsopen(errors, first) == 0;
}

NlDiagStream* CreateMember(NlPrimaryErrorRecord* errors, const NlFileNameDesc* desc) {
  NlDiagStream* member = nullptr;
  if (nldsinit(errors, &member, nullptr, NLDS_KIND_FILE, 0, const_cast<NlFileNameDesc*>(desc)) != 0) return nullptr;
  if (nldsopen(errors, member) != 0) {
    (void)nldsdestroy(nullptr, &member);
    return nullptr;
  }
  member->options = static_cast<std::uint8_t>(member->options | NLDS_OPTION_RING_MEMBER);
  member->state = static_cast<std::uint8_t>(member->state | NLDS_STATE_CYCLING);
  return member;
}

// Undoes the members of a ring that could not be completed; their files go too.
void AbandonRing(NlDiagStream* first, bool was_open) {
  NlDiagStream* member = first->next;
  while (member != nullptr && member != first) {
    NlDiagStream* following = member->next;
    char name[kNameBufferSize + 1];
    const NlDiagFile* file = FileOf(member);
    const std::uint32_t length = file->name_length < kNameBufferSize ? file->name_length : kNameBufferSize;
    if (length != 0) std::memcpy(name, file->name, length);
    if (nldsdestroy(nullptr, &member) == 0 && length != 0) (void)snlfdel(nullptr, name, length);
    member = following;
  }
  first->next = nullptr;
  first->state = static_cast<std::uint8_t>(first->state & ~NLDS_STATE_CYCLING);
  // The first file goes on alone. When the failure left it closed although it was open, it is
  // opened again, so that a trace with a level keeps an open stream; should that fail too, its
  // next write tries again.
  if (was_open && (first->state & NLDS_STATE_OPEN) == 0) (void)nldsopen(nullptr, first);
}

bool BuildMembers(NlPrimaryErrorRecord* errors, NlDiagStream* first, std::int32_t count, RingName* ring) {
  NlDiagStream* previous = first;
  for (std::int32_t number = 2; number <= count; ++number) {
    if (!ring->Number(number)) return false;
    NlDiagStream* member = CreateMember(errors, ring->desc());
    if (member == nullptr) return false;
    previous->next = member;
    previous = member;
  }
  previous->next = first;
  return true;
}

}  // namespace

std::int32_t BuildTraceRing(NlPrimaryErrorRecord* errors, NlDiagStream* first, std::int32_t count) {
  // Only a stream this opening named has a descriptor to derive the other names from.
  if (first->name_desc == nullptr) {
    first->state = static_cast<std::uint8_t>(first->state & ~NLDS_STATE_CYCLING);
    return 1;
  }
  RingName ring(*first->name_desc);
  const bool was_open = (first->state & NLDS_STATE_OPEN) != 0;
  first->next = nullptr;
  if (!ring.Number(1) || !RestartFirstFile(errors, first, ring.desc()) || !BuildMembers(errors, first, count, &ring)) {
    AbandonRing(first, was_open);
    return 1;
  }
  return count;
}

void CloseOtherRingFiles(NlDiagStream* stream) {
  if (stream == nullptr) return;
  for (NlDiagStream* other = stream->next; other != nullptr && other != stream; other = other->next) {
    if ((other->state & NLDS_STATE_OPEN) != 0) (void)nldsclose(nullptr, other);
  }
}

void DropOtherRingFiles(NlDiagStream* stream) {
  NlDiagStream* others = stream->next;
  if (others == nullptr || others == stream) {
    stream->next = nullptr;
    return;
  }
  // Cut the ring open behind the others, so that destroying them stops at the kept stream.
  NlDiagStream* last = others;
  while (last->next != nullptr && last->next != stream) last = last->next;
  last->next = nullptr;
  stream->next = nullptr;
  DestroyTraceStreams(&others);
}

NlFileNameDesc* CopyFileNameDesc(const NlFileNameDesc& desc) {
  struct Text {
    const char* NlFileNameDesc::* text;
    std::uint32_t NlFileNameDesc::* length;
  };
  static constexpr Text kTexts[] = {
      {&NlFileNameDesc::first_component, &NlFileNameDesc::first_component_length},
      {&NlFileNameDesc::second_component, &NlFileNameDesc::second_component_length},
      {&NlFileNameDesc::explicit_directory, &NlFileNameDesc::explicit_directory_length},
      {&NlFileNameDesc::base_name, &NlFileNameDesc::base_name_length},
      {&NlFileNameDesc::extension, &NlFileNameDesc::extension_length},
      {&NlFileNameDesc::environment_variable, &NlFileNameDesc::environment_variable_length},
  };
  std::size_t size = sizeof(NlFileNameDesc);
  for (const Text& text : kTexts) size += desc.*text.length + 1;
  auto* copy = static_cast<NlFileNameDesc*>(Allocate(size));
  if (copy == nullptr) return nullptr;
  *copy = desc;
  char* cursor = reinterpret_cast<char*>(copy + 1);
  for (const Text& text : kTexts) {
    const std::uint32_t length = desc.*text.length;
    if (length != 0) std::memcpy(cursor, desc.*text.text, length);
    cursor[length] = '\0';
    copy->*text.text = length != 0 ? cursor : nullptr;
    cursor += length + 1;
  }
  return copy;
}

void DestroyTraceStreams(NlDiagStream** stream_slot) {
  NlDiagStream* start = *stream_slot;
  *stream_slot = nullptr;
  NlDiagStream* stream = start;
  while (stream != nullptr) {
    NlDiagStream* following = stream->next;
    NlFileNameDesc* desc = stream->name_desc;
    // A stream that refuses to close stays allocated, and so does the descriptor it points to.
    if (nldsdestroy(nullptr, &stream) == 0) Release(desc);
    stream = following == start ? nullptr : following;
  }
}

}  // namespace kelnl::diagnostics
