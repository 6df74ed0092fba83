// Helpers for the stream tests: file streams on a temporary directory and the codes a record holds.
#ifndef KELNL_TESTS_DIAGNOSTICS_STREAM_TEST_SUPPORT_H
#define KELNL_TESTS_DIAGNOSTICS_STREAM_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelnl/nlds.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {

inline NlDiagStream* NewStream(std::uint8_t kind_bits, void* argument = nullptr, std::uint8_t options = 0) {
  NlDiagStream* stream = nullptr;
  EXPECT_EQ(nldsinit(nullptr, &stream, nullptr, kind_bits, options, argument), 0);
  return stream;
}

inline NlDiagStream* NewFileStream(const std::string& path, std::uint8_t options = 0) {
  NlFileNameDesc desc = DescriptorFor(path);
  return NewStream(NLDS_KIND_FILE, &desc, options);
}

// Takes a copy of the pointer, so that temporaries can be destroyed in a loop.
inline void Destroy(NlDiagStream* stream) { EXPECT_EQ(nldsdestroy(nullptr, &stream), 0); }

inline std::vector<int> Codes(const NlPrimaryErrorRecord& errors) {
  std::vector<int> codes;
  for (int i = 0; i < errors.count; ++i) codes.push_back(errors.errors[i].error);
  return codes;
}

// The slots of a record as "error/facility/kind ...", ending in " +" after a push that overflowed.
inline std::string Slots(const NlPrimaryErrorRecord& record) {
  std::string text;
  for (int i = 0; i < record.count; ++i) {
    const NlErrorSlot& slot = record.errors[i];
    text += (i == 0 ? "" : " ") + std::to_string(slot.error) + "/" + std::to_string(slot.facility) + "/" +
            std::to_string(slot.kind);
  }
  return record.overflow != 0 ? text + " +" : text;
}

}  // namespace kelnl::testing

#endif
