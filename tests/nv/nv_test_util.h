// Small helpers shared by the name-value tests.
#ifndef KELNL_TESTS_NV_NV_TEST_UTIL_H
#define KELNL_TESTS_NV_NV_TEST_UTIL_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "kelnl/nlnv.h"

namespace kelnv::testing {

struct BindingDeleter {
  void operator()(NlnvBinding* binding) const { nlnvdeb(binding); }
};
using BindingPtr = std::unique_ptr<NlnvBinding, BindingDeleter>;

// Parses text that is expected to be well formed; null (and a test failure) otherwise.
inline BindingPtr Parse(std::string_view text) {
  NlnvBinding* binding = nullptr;
  NlnvError error{};
  const int32_t status = nlnvcrb(text.data(), text.size(), &binding, &error);
  EXPECT_EQ(status, 0) << error.message << " at offset " << error.offset << " in " << text;
  return BindingPtr(binding);
}

// The text form, written the way callers do: nlnvszs, then nlnvcrs into size + 1 bytes.
inline std::string TextOf(const NlnvBinding* binding) {
  size_t size = 0;
  EXPECT_EQ(nlnvszs(binding, &size), 0);
  std::string text(size + 1, '#');
  size_t length = 0;
  EXPECT_EQ(nlnvcrs(binding, text.data(), text.size(), &length), 0);
  EXPECT_EQ(length, size);
  EXPECT_EQ(text[size], '\0');
  text.resize(length);
  return text;
}

// The atom at a path, or "<code N>" when the lookup fails.
inline std::string AtomAt(const NlnvBinding* binding, std::string_view path) {
  const char* text = nullptr;
  size_t length = 0;
  const int32_t status = nlnvgap(binding, path.data(), path.size(), &text, &length, nullptr);
  if (status != 0) return "<code " + std::to_string(status) + ">";
  EXPECT_EQ(text[length], '\0');
  return std::string(text, length);
}

// Lists nested `depth` levels deep, the innermost "(A=x)".
inline std::string Nested(int depth, std::string_view innermost = "(A=x)") {
  std::string text;
  for (int i = 1; i < depth; ++i) text += "(L=";
  text += innermost;
  text.append(static_cast<std::size_t>(depth - 1), ')');
  return text;
}

inline NlnvBinding* Find(NlnvBinding* binding, std::string_view path) {
  NlnvBinding* found = nullptr;
  nlnvfbp(binding, path.data(), path.size(), &found, nullptr);
  return found;
}

}  // namespace kelnv::testing

#endif
