// Any input either fails to parse, leaving nothing behind, or parses into a tree whose text form
// parses back to the same text form; copies write the same text, and the usual lookups and
// edits on the tree keep it writable and parsable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kelnl/nlnv.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string TextOf(const NlnvBinding* binding) {
  size_t size = 0;
  Require(nlnvszs(binding, &size) == 0);
  std::string text(size + 1, '\0');
  size_t length = 0;
  Require(nlnvcrs(binding, text.data(), text.size(), &length) == 0 && length == size);
  text.resize(length);
  return text;
}

NlnvBinding* ParseWritten(const std::string& text) {
  NlnvBinding* binding = nullptr;
  Require(nlnvcrb(text.data(), text.size(), &binding, nullptr) == 0 && binding != nullptr);
  return binding;
}

// Looks up the first sub-binding by its path, inserts a copy of the whole tree into itself
// (which may be refused for depth), removes that path, and checks that the result still
// round-trips.
void ExerciseEdits(NlnvBinding* binding) {
  const char* name = nullptr;
  size_t name_length = 0;
  Require(nlnvgtn(binding, &name, &name_length) == 0);
  uint32_t count = 0;
  if (nlnvisa(binding) == 0 || nlnvnnv(binding, &count) != 0 || count == 0) return;
  NlnvBinding* first = nullptr;
  Require(nlnvgin(binding, 1, &first) == 0);
  const char* first_name = nullptr;
  size_t first_length = 0;
  Require(nlnvgtn(first, &first_name, &first_length) == 0);
  const std::string path = std::string(name, name_length) + "/" + first_name;
  // A name may hold a '/', but then no path can name it.
  if (path.find('/') != name_length || path.find('/', name_length + 1) != std::string::npos) return;
  NlnvBinding* found = nullptr;
  Require(nlnvfbp(binding, path.data(), path.size(), &found, nullptr) == 0 && found == first);

  const int32_t inserted = nlnvibb(binding, binding);
  Require(inserted == 0 || inserted == NLNV_ERROR_DEPTH);
  Require(nlnvdbp(binding, path.data(), path.size(), nullptr) == 0);
  const std::string edited = TextOf(binding);
  NlnvBinding* reparsed = ParseWritten(edited);
  Require(TextOf(reparsed) == edited);
  nlnvdeb(reparsed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NlnvBinding* binding = nullptr;
  NlnvError error{};
  const int32_t status =
      nlnvcrb(reinterpret_cast<const char*>(data), size, &binding, &error);
  if (status != 0) {
    Require(binding == nullptr && error.code == status && error.offset <= size);
    return 0;
  }
  const std::string text = TextOf(binding);
  NlnvBinding* reparsed = ParseWritten(text);
  Require(TextOf(reparsed) == text);
  NlnvBinding* copy = nullptr;
  Require(nlnvcpb(reparsed, &copy) == 0 && TextOf(copy) == text);
  nlnvdeb(reparsed);
  ExerciseEdits(binding);
  Require(TextOf(copy) == text);
  nlnvdeb(copy);
  nlnvdeb(binding);
  return 0;
}
