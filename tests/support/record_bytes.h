// Little-endian trace record bytes, built field by field: what the trace bridge hands on and what
// the trace decoder reads back.
#ifndef KELNL_TESTS_SUPPORT_RECORD_BYTES_H
#define KELNL_TESTS_SUPPORT_RECORD_BYTES_H

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kelnl::testing {

struct RecordBytes {
  std::vector<std::uint8_t> bytes;

  RecordBytes& Int(std::uint32_t value, int width = 4) {
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
  }
  // A text with its terminator.
  RecordBytes& Text(const std::string& text) {
    bytes.insert(bytes.end(), text.c_str(), text.c_str() + text.size() + 1);
    return *this;
  }
  RecordBytes& Raw(std::initializer_list<std::uint8_t> raw) {
    bytes.insert(bytes.end(), raw);
    return *this;
  }
  // The event mask: its 16-bit length, 64, then one bit per event.
  RecordBytes& Mask(std::initializer_list<unsigned> events) {
    std::uint8_t mask[64] = {};
    for (unsigned event : events) mask[event / 8] = static_cast<std::uint8_t>(mask[event / 8] | (1u << (event % 8)));
    Int(64, 2);
    bytes.insert(bytes.end(), mask, mask + 64);
    return *this;
  }
};

}  // namespace kelnl::testing

#endif
