// Helpers for the stream tests: file streams on a temporary directory and the codes a record holds.
#ifndef KELNL_TESTS_DIAGNOSTICS_STREAM_TEST_SUPPORT_H
#define KELNL_TESTS_DIAGNOSTICS_STREAM_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kelnl/nlds.h"
#include "kelnl/nlfn.h"

namespace kelnl::testing {

// A descriptor naming the file by its absolute path, which nlfncons takes as it stands. The
// path must outlive the descriptor.
inline NlFileNameDesc DescriptorFor(const std::string& path) {
  NlFileNameDesc desc{};
  desc.base_name = path.data();
  desc.base_name_length = static_cast<std::uint32_t>(path.size());
  return desc;
}

inline NlDiagStream* NewFileStream(const std::string& path, std::uint8_t options = 0) {
  NlFileNameDesc desc = DescriptorFor(path);
  NlPrimaryErrorRecord errors{};
  NlDiagStream* stream = nullptr;
  EXPECT_EQ(nldsinit(&errors, &stream, nullptr, NLDS_KIND_FILE, options, &desc), 0) << path;
  return stream;
}

inline NlDiagStream* NewStream(std::uint8_t kind_bits, void* argument = nullptr) {
  NlPrimaryErrorRecord errors{};
  NlDiagStream* stream = nullptr;
  EXPECT_EQ(nldsinit(&errors, &stream, nullptr, kind_bits, 0, argument), 0);
  return stream;
}

inline void Destroy(NlDiagStream*& stream) {
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldsdestroy(&errors, &stream), 0);
}

// The codes pushed onto a record, oldest first.
inline std::vector<int> Codes(const NlPrimaryErrorRecord& errors) {
  std::vector<int> codes;
  for (int i = 0; i < errors.count; ++i) codes.push_back(errors.errors[i].error);
  return codes;
}

}  // namespace kelnl::testing

#endif
