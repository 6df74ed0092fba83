// Names, sub-bindings and paths.
#include <gtest/gtest.h>

#include <string>

#include "tests/nv/nv_test_util.h"

namespace kelnv::testing {
namespace {

constexpr char kDescriptor[] =
    "(Description=(ADDRESS=(PROTOCOL=tcp)(HOST=first))(address=(PROTOCOL=ipc)(HOST=second))"
    "(CONNECT_DATA=(SERVICE_NAME=sales)(Service_Name=ignored)))";

TEST(NvQuery, NamesKeepTheirCaseAndPathsIgnoreIt) {
  BindingPtr binding = Parse(kDescriptor);
  const char* name = nullptr;
  size_t length = 0;
  ASSERT_EQ(nlnvgtn(binding.get(), &name, &length), 0);
  EXPECT_EQ(std::string(name, length), "Description");
  EXPECT_EQ(name[length], '\0');

  // The first component is the binding's own name; each later one picks the first match.
  EXPECT_EQ(AtomAt(binding.get(), "DESCRIPTION/ADDRESS/HOST"), "first");
  EXPECT_EQ(AtomAt(binding.get(), "description/Address/host"), "first");
  EXPECT_EQ(AtomAt(binding.get(), "DESCRIPTION/CONNECT_DATA/SERVICE_NAME"), "sales");
  NlnvBinding* second = nullptr;
  ASSERT_EQ(nlnvgin(binding.get(), 2, &second), 0);
  EXPECT_EQ(AtomAt(second, "ADDRESS/PROTOCOL"), "ipc");
  EXPECT_EQ(AtomAt(Find(second, "address/host"), "HOST"), "second");
}

TEST(NvQuery, LookupsReportWhatIsWrongWithThePath) {
  BindingPtr binding = Parse(kDescriptor);
  const std::pair<const char*, int32_t> failures[] = {
      {"ADDRESS/HOST", NLNV_ERROR_NOT_FOUND},  // a path starts at the binding itself
      {"DESCRIPTION/ADDRESS/PORT", NLNV_ERROR_NOT_FOUND}, {"DESCRIPTION/ADDRESS/HOST/X", NLNV_ERROR_NOT_FOUND},
      {"DESCRIPTION/ADDRESS", NLNV_ERROR_NOT_ATOM},       {"", NLNV_ERROR_PATH},
      {"/DESCRIPTION", NLNV_ERROR_PATH},                  {"DESCRIPTION/", NLNV_ERROR_PATH},
      {"DESCRIPTION//ADDRESS", NLNV_ERROR_PATH}};
  for (const auto& [path, code] : failures) {
    EXPECT_EQ(AtomAt(binding.get(), path), "<code " + std::to_string(code) + ">") << path;
  }
  NlnvError error{};
  NlnvBinding* found = binding.get();
  EXPECT_EQ(nlnvfbp(binding.get(), "DESCRIPTION/NONE", 16, &found, &error), NLNV_ERROR_NOT_FOUND);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(error.code, NLNV_ERROR_NOT_FOUND);
  // The path length bounds the path: the rest of the buffer is not read.
  EXPECT_EQ(nlnvfbp(binding.get(), "DESCRIPTION/ADDRESS!", 19, &found, &error), 0);
  EXPECT_EQ(error.code, 0);
  EXPECT_EQ(found, Find(binding.get(), "DESCRIPTION/ADDRESS"));
  // A one-name path is the binding itself.
  EXPECT_EQ(Find(binding.get(), "description"), binding.get());
}

TEST(NvQuery, SubBindingsAreStableHandlesCountedFromOne) {
  BindingPtr binding = Parse(kDescriptor);
  uint32_t count = 0;
  ASSERT_EQ(nlnvnnv(binding.get(), &count), 0);
  ASSERT_EQ(count, 3u);
  NlnvBinding* first = nullptr;
  NlnvBinding* again = nullptr;
  ASSERT_EQ(nlnvgin(binding.get(), 1, &first), 0);
  ASSERT_EQ(nlnvgin(binding.get(), 1, &again), 0);
  EXPECT_EQ(first, again);
  EXPECT_EQ(first, Find(binding.get(), "DESCRIPTION/ADDRESS"));
  EXPECT_EQ(nlnvgin(binding.get(), 0, &again), NLNV_ERROR_ARGUMENT);
  EXPECT_EQ(nlnvgin(binding.get(), 4, &again), NLNV_ERROR_ARGUMENT);
  EXPECT_EQ(again, nullptr);

  // An atom is no list: it has no sub-bindings, and only an atom has atom text.
  NlnvBinding* host = Find(binding.get(), "DESCRIPTION/ADDRESS/HOST");
  EXPECT_EQ(nlnvisa(host), 0);
  EXPECT_EQ(nlnvnnv(host, &count), NLNV_ERROR_NOT_LIST);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(nlnvgin(host, 1, &again), NLNV_ERROR_NOT_LIST);
  const char* text = nullptr;
  size_t length = 0;
  EXPECT_EQ(nlnvgta(first, &text, &length), NLNV_ERROR_NOT_ATOM);
  EXPECT_EQ(nlnvgta(host, &text, &length), 0);
  EXPECT_STREQ(text, "first");
  EXPECT_EQ(nlnvisa(nullptr), 0);
}

}  // namespace
}  // namespace kelnv::testing
