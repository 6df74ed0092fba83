#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "kelnl/nlerrors.h"
#include "kelnl/nlht.h"
#include "kelnl/nlpa.h"
#include "tests/params/parameter_walk.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace {

using kelnl::testing::Params;

class ParameterAccess : public ::testing::Test {
 protected:
  void TearDown() override { nlpatrm(&record_, &table_); }

  // Statements go through a file, so that their order is the order given.
  void Read(const std::vector<std::string>& statements) {
    std::string text;
    for (const auto& statement : statements) text += statement + "\n";
    path_ = dir_.Write("table.kel", text);
    const NlFileNameDesc desc = kelnl::testing::DescriptorFor(path_);
    ASSERT_EQ(nlpains(&record_, &table_, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr), 0);
  }
  int32_t Get(const std::string& name, int32_t index, std::string* out) {
    char* value = nullptr;
    uint32_t length = 0;
    const int32_t code = nlpagsp(&record_, table_, name.data(), static_cast<uint32_t>(name.size()), index, &value, &length);
    if (code == 0) *out = std::string(value, length);
    return code;
  }
  std::string Element(const std::string& name, int32_t index) {
    std::string out;
    EXPECT_EQ(Get(name, index, &out), 0) << name << "[" << index << "]";
    return out;
  }
  // Every element of a list value, by index from 1 up to its count.
  std::vector<std::string> Elements(const std::string& name) {
    std::vector<std::string> elements;
    for (int32_t i = 1, count = static_cast<int32_t>(Count(name)); i <= count; ++i) {
      elements.push_back(Element(name, i));
    }
    return elements;
  }
  uint32_t Count(const std::string& name) {
    uint32_t count = 99;
    nlpagvc(&record_, table_, name.data(), static_cast<uint32_t>(name.size()), &count);
    return count;
  }
  int32_t Top() const { return record_.count == 0 ? 0 : record_.errors[record_.count - 1].error; }
  Params Walk() { return kelnl::testing::WalkParameters(table_); }

  kelnl::testing::TempDir dir_;
  std::string path_;
  NlPrimaryErrorRecord record_{};
  NlParameterTable* table_ = nullptr;
};

TEST_F(ParameterAccess, ListElementsFollowQuotesDepthAndEscapesAndMalformedListsAreRefused) {
  Read({"L=(a, 'b,c', (d,e))", "TWO=(A=1)(B=2)", "ESC=(x\\,y, ' q ' ,z)", "TAIL=(a,b)c"});
  EXPECT_EQ(Elements("l"), (std::vector<std::string>{"a", "'b,c'", "(d,e)"}));
  EXPECT_EQ(Elements("two"), std::vector<std::string>{"A=1(B=2"}) << "the first ')' ends the list";
  EXPECT_EQ(Elements("esc"), (std::vector<std::string>{"x\\,y", "' q ' ", "z"})) << "quotes and trailing blanks kept";
  EXPECT_EQ(Elements("tail"), (std::vector<std::string>{"a", "bc"})) << "text after the list joins the last element";
  std::string unused;
  EXPECT_EQ(Get("l", 4, &unused), NLE_PARAM_BAD_LIST);

  nlpatrm(&record_, &table_);
  Read({"PLAIN=word", "BAD=(a,b)x)", "OPEN=(a,b)x("});
  EXPECT_EQ(Element("plain", 1), "word");
  EXPECT_EQ(Get("plain", 2, &unused), NLE_PARAM_BAD_LIST);
  EXPECT_EQ(Count("plain"), 0u);
  EXPECT_EQ(Top(), NLE_PARAM_BAD_LIST);
  record_ = {};
  EXPECT_EQ(Get("bad", 1, &unused), NLE_PARAM_BAD_LIST);
  EXPECT_EQ(Element("bad", 0), "(a,b)x)") << "a failed split leaves the text usable";
  EXPECT_EQ(Count("open"), 2u) << "the count reached is reported for a malformed list";
}

TEST_F(ParameterAccess, NumbersAndBooleans) {
  Read({"N=12abc", "X=abc", "NEG=  -7", "B1=online", "B2=nothing", "B3=10", "B4=2", "B5=TRUE", "LIST=(off, yes)"});
  int32_t number = -1;
  EXPECT_EQ(nlpagip(&record_, table_, "n", 1, 0, &number), 0);
  EXPECT_EQ(number, 12);
  EXPECT_EQ(nlpagup(&record_, table_, "x", 1, 0, &number), 0);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(nlpagip(&record_, table_, "neg", 3, 0, &number), 0);
  EXPECT_EQ(number, -7);
  const std::map<std::string, int32_t> booleans = {{"b1", 1}, {"b2", 0}, {"b3", 1}, {"b5", 1}};
  for (const auto& [name, expected] : booleans) {
    int32_t value = -1;
    EXPECT_EQ(nlpagbp(&record_, table_, name.data(), 2, 0, &value), 0) << name;
    EXPECT_EQ(value, expected) << name;
  }
  int32_t value = -1;
  EXPECT_EQ(nlpagbp(&record_, table_, "b4", 2, 0, &value), NLE_PARAM_NOT_BOOLEAN);
  EXPECT_EQ(nlpagbp(&record_, table_, "list", 4, 2, &value), 0);
  EXPECT_EQ(value, 1);
}

TEST_F(ParameterAccess, FindComparesElementsIgnoringCase) {
  Read({"L=(tcp, IPC, 'x')", "P=Single"});
  EXPECT_EQ(nlpafind(&record_, table_, "l", 1, "ipc", 3), 0);
  EXPECT_EQ(nlpafind(&record_, table_, "l", 1, "ip", 2), NLE_PARAM_NO_MATCH);
  EXPECT_EQ(record_.count, 0) << "411 is returned, not pushed";
  EXPECT_EQ(nlpafind(&record_, table_, "p", 1, "SINGLE", 6), 0);
}

TEST_F(ParameterAccess, WalkGivesOneResultPerNameUnlessCaseSensitive) {
  Read({"A=1", "a=2", "B=3"});
  EXPECT_EQ(Walk(), (Params{{"B", "3"}, {"a", "2"}}));
  ASSERT_EQ(nlpacas(&record_, table_, 1), 0);
  EXPECT_EQ(Walk(), (Params{{"A", "1"}, {"B", "3"}, {"a", "2"}}));
  std::string out;
  EXPECT_EQ(Get("A", 0, &out), 0);
  EXPECT_EQ(out, "1") << "case-sensitive lookups take the exact spelling";
  EXPECT_EQ(Get("b", 0, &out), NLE_PARAM_NOT_FOUND);
}

// Setting stores through the reader's own path (shared values included); only its mode is its own.
TEST_F(ParameterAccess, NullTablesSettingModesAndTeardownAfterSplits) {
  char* value = reinterpret_cast<char*>(1);
  uint32_t count = 42;
  EXPECT_EQ(nlpagsp(&record_, nullptr, "a", 1, 0, &value, nullptr), NLE_PARAM_NULL_TABLE);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(nlpagvc(&record_, nullptr, "a", 1, &count), NLE_PARAM_NULL_TABLE);
  EXPECT_EQ(count, 42u);
  NlParamFileReport report{};
  EXPECT_EQ(nlpainf(&record_, nullptr, &report), NLE_PARAM_NULL_TABLE);
  nlpatrm(&record_, nullptr);

  Read({"L=(a,b,c)"});
  EXPECT_EQ(nlpassp(&record_, table_, 2, "A", 1, "x", 1), NLE_PARAM_REFUSED);
  ASSERT_EQ(nlpassp(&record_, table_, 1, "Fresh", 5, "", 0), 0);
  EXPECT_EQ(Element("FRESH", 0), "");
  EXPECT_EQ(Count("l"), 3u);
  EXPECT_EQ(nlpadmp(&record_, table_), 0) << "a dump of split values";
  nlpatrm(&record_, &table_);
  EXPECT_EQ(table_, nullptr);
}

// Both forms of exhaustion (one failure, and every allocation from some point on), on an empty
// table (the first record needs fresh storage), one whose next entry doubles the index, and one
// where the name gets a second spelling (which needs an index of spellings).
TEST_F(ParameterAccess, OutOfMemoryInSettingLeavesTheTableAsItWas) {
  std::vector<std::string> sixty_three;
  for (int i = 0; i < 63; ++i) sixty_three.push_back("K" + std::to_string(i) + "=" + std::to_string(i));
  for (const std::vector<std::string>& statements :
       {std::vector<std::string>{}, sixty_three, {"NewName=1", "KEEP=1"}}) {
    auto fill = [&] {
      record_ = {};
      nlpatrm(&record_, &table_);
      Read(statements);
    };
    fill();
    const int32_t size = nlhthsize(table_->index);
    const Params before = Walk();
    kelnl::testing::SweepAllocationFailures(
        [&] {
          const int32_t code = nlpassp(&record_, table_, 1, "NEWNAME", 7, "(v=1)", 5);
          if (!kelnl::testing::AllocationFailed()) {
            EXPECT_EQ(code, 0);
            return;
          }
          EXPECT_TRUE(code == NLE_PARAM_NO_MEMORY || code == NLE_PARAM_INDEX_FAILED) << code;
          EXPECT_EQ(Top(), code);
          EXPECT_EQ(nlhthsize(table_->index), size);
          EXPECT_EQ(Walk(), before);
        },
        fill, kelnl::testing::FailureForm::kBoth);
  }
}

// The elements of a value take storage of the value's size: a long list needs more than what is
// left of the table's first chunk.
TEST_F(ParameterAccess, OutOfMemoryInSplittingKeepsTheText) {
  std::string list = "(e0";
  for (int i = 1; i < 1000; ++i) list += ",e" + std::to_string(i);
  list += ")";
  auto fill = [&] {
    record_ = {};
    nlpatrm(&record_, &table_);
    Read({"L=" + list});
  };
  fill();
  const long allocations = kelnl::testing::SweepAllocationFailures(
      [&] {
        uint32_t count = 0;
        const int32_t code = nlpagvc(&record_, table_, "l", 1, &count);
        if (kelnl::testing::AllocationFailed()) {
          EXPECT_EQ(code, NLE_PARAM_NO_MEMORY);
          EXPECT_EQ(Element("l", 0), list);
        } else {
          EXPECT_EQ(count, 1000u);
        }
      },
      fill, kelnl::testing::FailureForm::kBoth);
  EXPECT_GT(allocations, 0);
}

}  // namespace
