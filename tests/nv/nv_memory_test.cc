// Every allocation of the building operations can fail: the result is NLNV_ERROR_MEMORY, the
// inputs are unchanged and nothing leaks.
#include <gtest/gtest.h>

#include <string>

#include "tests/nv/nv_test_util.h"
#include "tests/support/alloc_sweep.h"

namespace kelnv::testing {
namespace {

using kelnl::testing::SweepExpectingCode;

std::string ManyDescriptions(int count) {
  std::string text = "(DESCRIPTION_LIST=";
  for (int i = 0; i < count; ++i) {
    text += "(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=tcp)(HOST=h" + std::to_string(i) +
            ")(PORT=1521)))(CONNECT_DATA=(SERVICE_NAME=\"s(" + std::to_string(i) + ")\")))";
  }
  return text + ")";
}

TEST(NvMemory, ParseFailsCleanlyAtEveryAllocation) {
  // Tiny bindings take more node memory per text byte than a parse first reserves, so the
  // failures also hit while finished bindings sit in two chunks; and the list has more members
  // than the parser's first pending stack holds.
  std::string text = ManyDescriptions(5);
  for (int i = 0; i < 70; ++i) text.insert(text.size() - 1, "(X=)");
  NlnvBinding* binding = nullptr;
  const long allocations = SweepExpectingCode(
      [&] {
        const int32_t status = nlnvcrb(text.data(), text.size(), &binding, nullptr);
        EXPECT_EQ(binding == nullptr, status != 0);
        return status;
      },
      NLNV_ERROR_MEMORY,
      [&] {
        nlnvdeb(binding);
        binding = nullptr;
      });
  EXPECT_GE(allocations, 4);
}

TEST(NvMemory, CopyFailsCleanlyAtEveryAllocation) {
  BindingPtr source = Parse(ManyDescriptions(3));
  NlnvBinding* copy = nullptr;
  const long allocations = SweepExpectingCode([&] { return nlnvcpb(source.get(), &copy); },
                                              NLNV_ERROR_MEMORY, [&] {
                                                nlnvdeb(copy);
                                                copy = nullptr;
                                              });
  EXPECT_EQ(allocations, 1);  // a copy is a single chunk
}

TEST(NvMemory, InsertFailsCleanlyAndLeavesTheListAsItWas) {
  // Four members already: the fifth needs a larger slot array as well as the copy.
  const char list_text[] = "(ADDRESS_LIST=(A=1)(A=2)(A=3)(A=4))";
  BindingPtr list = Parse(list_text);
  BindingPtr item = Parse("(ADDRESS=(PROTOCOL=tcp)(HOST=h)(PORT=1))");
  const long allocations = SweepExpectingCode(
      [&] {
        const int32_t status = nlnvibb(item.get(), list.get());
        uint32_t count = 0;
        nlnvnnv(list.get(), &count);
        EXPECT_EQ(count, status == 0 ? 5u : 4u);
        return status;
      },
      NLNV_ERROR_MEMORY,
      [&] { list = Parse(list_text); });
  EXPECT_EQ(allocations, 2);  // the copy and the larger slot array
}

TEST(NvMemory, ConversionFailsCleanlyAndKeepsTheBinding) {
  const char* const forms[] = {"ADDRESS", "PROGRAM", nullptr};
  for (const auto& [text, converted] : {std::pair{"(PROGRAM=x)", "(ADDRESS=(PROGRAM=x))"},
                                        std::pair{"(ADDRESS=(PROGRAM=x)(ARGS=a))", "(ADDRESS=(PROGRAM=x)(ARGS=a))"}}) {
    // The binding is made outside the armed window: only the conversion's allocations fail.
    NlnvBinding* binding = Parse(text).release();
    const long allocations = SweepExpectingCode(
        [&] {
          const int32_t status = nlnvcbp(forms, "ADDRESS", 7, &binding);
          EXPECT_EQ(TextOf(binding), status == 0 ? converted : text);
          return status;
        },
        NLNV_ERROR_MEMORY,
        [&] {
          nlnvdeb(binding);
          binding = Parse(text).release();
        });
    EXPECT_EQ(allocations, 1);
    nlnvdeb(binding);
  }
}

}  // namespace
}  // namespace kelnv::testing
