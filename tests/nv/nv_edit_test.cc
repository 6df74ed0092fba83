// Copies, insertion, removal and the table-driven operations.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/allocation_hook.h"
#include "tests/nv/nv_test_util.h"
#include "tests/support/alloc_sweep.h"

namespace kelnv::testing {
namespace {

BindingPtr Copy(const NlnvBinding* binding) {
  NlnvBinding* copy = nullptr;
  EXPECT_EQ(nlnvcpb(binding, &copy), 0);
  return BindingPtr(copy);
}

int32_t Remove(NlnvBinding* binding, std::string_view path) {
  return nlnvdbp(binding, path.data(), path.size(), nullptr);
}

// Whole trees are copied by insertion too (whose test reads a copy after its original is gone);
// here the copy of a sub-binding, a root of its own that outlives the tree it came from.
TEST(NvEdit, CopiesAreIndependentOfTheirOriginal) {
  BindingPtr original = Parse("(DESCRIPTION=(ADDRESS=(HOST=a))(CONNECT_DATA=(SID=x)))");
  BindingPtr address = Copy(Find(original.get(), "DESCRIPTION/ADDRESS"));
  original.reset();
  EXPECT_EQ(TextOf(address.get()), "(ADDRESS=(HOST=a))");

  NlnvBinding* null_copy = address.get();
  EXPECT_EQ(nlnvcpb(nullptr, &null_copy), 0);
  EXPECT_EQ(null_copy, nullptr);
}

TEST(NvEdit, InsertAppendsACopyAndLeavesTheItemWithItsOwner) {
  BindingPtr list = Parse("(DESCRIPTION=)");
  BindingPtr item = Parse("(ADDRESS=(HOST=a))");
  for (int i = 0; i < 3; ++i) ASSERT_EQ(nlnvibb(item.get(), list.get()), 0);
  NlnvBinding* inserted = nullptr;
  ASSERT_EQ(nlnvgin(list.get(), 3, &inserted), 0);
  item.reset();  // the list holds copies
  EXPECT_EQ(AtomAt(inserted, "ADDRESS/HOST"), "a");
  EXPECT_EQ(TextOf(list.get()), "(DESCRIPTION=(ADDRESS=(HOST=a))(ADDRESS=(HOST=a))(ADDRESS=(HOST=a)))");

  // A list inserted into itself is copied as it stood before the insertion.
  BindingPtr self = Parse("(L=(A=1))");
  ASSERT_EQ(nlnvibb(self.get(), self.get()), 0);
  EXPECT_EQ(TextOf(self.get()), "(L=(A=1)(L=(A=1)))");
  // Inserting into a sub-list, and of an ancestor into its own descendant.
  NlnvBinding* inner = Find(self.get(), "L/L");
  ASSERT_EQ(nlnvibb(self.get(), inner), 0);
  EXPECT_EQ(TextOf(self.get()), "(L=(A=1)(L=(A=1)(L=(A=1)(L=(A=1)))))");

  BindingPtr atom = Parse("(A=1)");
  EXPECT_EQ(nlnvibb(self.get(), atom.get()), NLNV_ERROR_NOT_LIST);
  EXPECT_EQ(TextOf(atom.get()), "(A=1)");
}

TEST(NvEdit, InsertNeverNestsBeyondTheLimit) {
  BindingPtr deep = Parse(Nested(NLNV_MAX_DEPTH, "(A=)"));
  BindingPtr atom = Parse("(X=1)");
  BindingPtr pair = Parse("(P=(X=1))");
  NlnvBinding* deepest = deep.get();
  for (int i = 1; i < NLNV_MAX_DEPTH; ++i) nlnvgin(deepest, 1, &deepest);
  EXPECT_EQ(nlnvibb(atom.get(), deepest), NLNV_ERROR_DEPTH);  // would be level 513
  NlnvBinding* above = nullptr;
  ASSERT_EQ(nlnvfbp(deep.get(), "L", 1, &above, nullptr), 0);
  for (int i = 2; i < NLNV_MAX_DEPTH - 1; ++i) nlnvgin(above, 1, &above);  // level 510
  EXPECT_EQ(nlnvibb(pair.get(), above), 0);                                 // reaches 512
  NlnvBinding* inserted = nullptr;
  ASSERT_EQ(nlnvgin(above, 2, &inserted), 0);
  EXPECT_EQ(nlnvibb(pair.get(), inserted), NLNV_ERROR_DEPTH);
  // What insertion built still parses: it never goes past the parser's limit.
  EXPECT_EQ(TextOf(Parse(TextOf(deep.get())).get()), TextOf(deep.get()));
}

TEST(NvEdit, RemoveTakesTheFirstMatchAndIgnoresAbsentPaths) {
  const long live = kelnl::allocation_hook::LiveBlocks();
  BindingPtr binding = Parse("(D=(HOP_COUNT=1)(A=(H=1))(A=(H=2)))");
  EXPECT_EQ(Remove(binding.get(), "d/a"), 0);
  EXPECT_EQ(TextOf(binding.get()), "(D=(HOP_COUNT=1)(A=(H=2)))");
  EXPECT_EQ(Remove(binding.get(), "D/A/H"), 0);
  EXPECT_EQ(Remove(binding.get(), "D/NONE"), 0);
  EXPECT_EQ(TextOf(binding.get()), "(D=(HOP_COUNT=1)(A=))");
  EXPECT_EQ(Remove(binding.get(), "D"), NLNV_ERROR_PATH);
  EXPECT_EQ(Remove(binding.get(), "D//A"), NLNV_ERROR_PATH);
  EXPECT_EQ(TextOf(binding.get()), "(D=(HOP_COUNT=1)(A=))");

  // Destroying a sub-binding by its handle takes it out of its list first.
  EXPECT_EQ(nlnvdeb(Find(binding.get(), "D/A")), 0);
  EXPECT_EQ(TextOf(binding.get()), "(D=(HOP_COUNT=1))");
  EXPECT_EQ(nlnvdeb(nullptr), 0);
  binding.reset();
  EXPECT_EQ(kelnl::allocation_hook::LiveBlocks(), live);
}

const char* const kProcessForms[] = {"ADDRESS", "PROCESS", "PROGRAM", "DESCRIPTION/ADDRESS",
                                     "ADD",     "DES/ADD", nullptr};

TEST(NvEdit, EveryProcessAddressFormBecomesAnAddress) {
  struct Case {
    const char* text;
    const char* address;
  };
  const Case cases[] = {
      {"(process=(PROGRAM=x))", "(ADDRESS=(PROGRAM=x))"},
      {"(DESCRIPTION=(CONNECT_DATA=(SID=s))(ADDRESS=(PROGRAM=x)))", "(ADDRESS=(PROGRAM=x))"},
      {"(Des=(Add=(PROGRAM=x)(ENVS=A=1)))", "(ADDRESS=(PROGRAM=x)(ENVS=A=1))"},
  };
  for (const Case& c : cases) {
    NlnvBinding* binding = Parse(c.text).release();
    ASSERT_EQ(nlnvcbp(kProcessForms, "ADDRESS", 7, &binding), 0) << c.text;
    EXPECT_EQ(TextOf(binding), c.address);
    nlnvdeb(binding);
  }
  NlnvBinding* other = Parse("(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROGRAM=x))))").release();
  NlnvBinding* kept = other;
  EXPECT_EQ(nlnvcbp(kProcessForms, "ADDRESS", 7, &other), NLNV_ERROR_NOT_FOUND);
  EXPECT_EQ(other, kept);
  EXPECT_EQ(nlnvcbp(kProcessForms, "BAD NAME", 8, &other), NLNV_ERROR_ARGUMENT);
  nlnvdeb(other);
}

TEST(NvEdit, RowLookupTakesTheFirstAlternativePresentAsAnAtom) {
  const char* const rows[] = {"PROG:PROGRAM:NAME", "ARGV0", "ENVS:ENV", "PRIVS", "::TIMEOUT", nullptr};
  BindingPtr address =
      Parse("(ADDRESS=(NAME=n)(program=p)(ENVS=(X=1))(ENV=E=1)(PRIVS=(A=1))(TIMEOUT=30))");
  const char* texts[5];
  size_t lengths[5];
  ASSERT_EQ(nlnvlet(address.get(), rows, texts, lengths), 0);
  EXPECT_EQ(std::string(texts[0], lengths[0]), "p");    // row order, not binding order
  EXPECT_EQ(texts[1], nullptr);
  EXPECT_EQ(std::string(texts[2], lengths[2]), "E=1");  // the ENVS list has no atom
  EXPECT_EQ(lengths[3], 0u);
  EXPECT_STREQ(texts[4], "30");
  EXPECT_EQ(nlnvlet(Find(address.get(), "ADDRESS/NAME"), rows, texts, lengths),
            NLNV_ERROR_NOT_LIST);
}

// Every allocation of the building operations can fail: the result is NLNV_ERROR_MEMORY, the
// inputs are unchanged and nothing leaks.
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
