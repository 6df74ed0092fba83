// Message texts and argument texts come from files and callers: substituting any of them, and
// printing any stack built from them, must stay within the buffer and terminate it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kelnl/nler.h"

namespace {

// Reads the fuzzer's bytes as a sequence of small fields.
struct Input {
  const std::uint8_t* data;
  std::size_t size;

  std::uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  const char* Take(std::size_t* length) {
    *length = *length < size ? *length : size;
    const char* taken = reinterpret_cast<const char*>(data);
    data += *length;
    size -= *length;
    return taken;
  }
};

void CheckSubstitution(Input& input) {
  const char* args[3];
  std::size_t lengths[3];
  for (int i = 0; i < 3; ++i) {
    lengths[i] = input.Byte() % 16;
    args[i] = input.Take(&lengths[i]);
  }
  std::size_t format_length = input.Byte();
  const char* format_bytes = input.Take(&format_length);
  char format[256];
  std::memcpy(format, format_bytes, format_length);
  format[format_length] = '\0';
  const std::size_t size = input.Byte() % 64;
  char output[64 + 1];
  output[size] = 'G';  // guard just past what the call may use
  const std::size_t written = nlersprintf(output, size, format, input.Byte() % 4, args, lengths);
  if (size == 0 ? written != 0 : (written >= size || output[written] != '\0')) std::abort();
}

void CheckStackText(Input& input) {
  NlErrorStack* stack = nullptr;
  if (nlerinit(nullptr, &stack, nullptr, nullptr) != 0) return;
  const int pushes = input.Byte() % 10;
  for (int i = 0; i < pushes; ++i) {
    const std::uint8_t kind = input.Byte();
    std::size_t length = input.Byte();
    const char* text = input.Take(&length);
    if (kind % 3 == 0) {
      const NlOsErrorRecord os{input.Byte(), input.Byte(), input.Byte()};
      nlerrsc(stack, 1, &os);
    } else if (kind % 3 == 1) {
      nlerrec(stack, input.Byte(), input.Byte(), 2, NL_ERROR_ARG_TEXT, static_cast<int>(length), text,
              NL_ERROR_ARG_NUMBER, static_cast<unsigned>(kind));
    } else {
      nlerric(stack, input.Byte(), input.Byte(), 1, NL_ERROR_ARG_TEXT, static_cast<int>(length), text);
    }
  }
  const std::size_t size = input.Byte() % 200;
  char buffer[200];
  std::size_t length = 0;
  nlerbem(stack, 1, buffer, size, &length);
  if (size != 0 && (length >= size || buffer[length] != '\0' || stack->text_used > NL_ERROR_ARG_TEXT_BYTES)) {
    std::abort();
  }
  nlerdestroy(nullptr, &stack);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input{data, size};
  CheckSubstitution(input);
  CheckStackText(input);
  return 0;
}
