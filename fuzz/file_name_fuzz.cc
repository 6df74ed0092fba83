// Paths and descriptors of any content and buffers of any size: splitting and building must stay
// inside the buffer, terminate what they report as built, and release what they allocate.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "kelnl/nlfn.h"

namespace {

// Takes a length-prefixed piece of the input; an empty piece is an absent field.
std::string_view Take(const std::uint8_t*& data, std::size_t& size) {
  if (size == 0) return {};
  std::size_t length = data[0] % 64;
  ++data;
  --size;
  if (length > size) length = size;
  const std::string_view piece(reinterpret_cast<const char*>(data), length);
  data += length;
  size -= length;
  return piece;
}

void Set(std::string_view piece, const char** text, std::uint32_t* length) {
  *text = piece.empty() ? nullptr : piece.data();
  *length = static_cast<std::uint32_t>(piece.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t flags = data[0] & (NLFN_UNIQUE_NAME | NLFN_MUST_EXIST);
  const std::size_t buffer_size = data[1];
  data += 2;
  size -= 2;

  NlFileNameDesc desc{};
  Set(Take(data, size), &desc.first_component, &desc.first_component_length);
  Set(Take(data, size), &desc.second_component, &desc.second_component_length);
  Set(Take(data, size), &desc.explicit_directory, &desc.explicit_directory_length);
  Set(Take(data, size), &desc.base_name, &desc.base_name_length);
  Set(Take(data, size), &desc.extension, &desc.extension_length);
  Set(Take(data, size), &desc.environment_variable, &desc.environment_variable_length);
  desc.flags = flags;

  // An exactly sized heap buffer lets the address sanitizer see a write one byte past it.
  std::vector<char> buffer(buffer_size == 0 ? 1 : buffer_size);
  std::uint32_t length = 0;
  NlOsErrorRecord record{};
  if (nlfncons(&record, &desc, buffer.data(), static_cast<std::uint32_t>(buffer_size), &length) == 0) {
    if (length > buffer_size) __builtin_trap();
    if (record.operation != 0 && record.operation != 44 && record.operation != 45) __builtin_trap();
  }

  const std::string_view rest(reinterpret_cast<const char*>(data), size);
  NlFileNameDesc split;
  if (nlfninit(&record, &split, rest.data(), static_cast<std::uint32_t>(rest.size())) == 0) {
    const std::size_t parts =
        split.explicit_directory_length + split.base_name_length + split.extension_length;
    if (parts > rest.size()) __builtin_trap();
    nlfndstry(&split);
  }
  return 0;
}
