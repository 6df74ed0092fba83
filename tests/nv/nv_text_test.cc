// Parsing and writing the text form; names, sub-bindings and paths.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/allocation_hook.h"
#include "tests/nv/nv_test_util.h"

namespace kelnv::testing {
namespace {

TEST(NvText, WhiteSpaceAroundTokensIsDroppedAndInsideAtomsKeptAndAnEmptyValueIsAList) {
  BindingPtr binding = Parse(
      " \t( DESCRIPTION\r\n=\n  ( ADDRESS =\t(HOST = db 1 )\r\n (PORT=\t1521\t) )\n\n"
      "(CONNECT_DATA = (SERVICE_NAME = a  b\tc ) ) )\r\n");
  EXPECT_EQ(TextOf(binding.get()),
            "(DESCRIPTION=(ADDRESS=(HOST=db 1)(PORT=1521))(CONNECT_DATA=(SERVICE_NAME=a  b\tc)))");
  binding = Parse("( DESCRIPTION = \r\n )");
  uint32_t count = 99;
  EXPECT_EQ(nlnvnnv(binding.get(), &count), 0) << "an empty value is an empty list";
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(TextOf(binding.get()), "(DESCRIPTION=)");
}

TEST(NvText, QuotesAndBackslashesProtectAtomCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"(A=\"x(y)z\")", "\"x(y)z\""},
      {"(A=\\(x\\))", "\\(x\\)"},
      {"(A=\"say \\\"(hi)\\\"\")", "\"say \\\"(hi)\\\"\""},
      {"(A=x\\ )", "x\\ "},       // an escaped blank at the end is part of the atom
      {"(A=B=1,C=2)", "B=1,C=2"},  // '=' is ordinary inside an atom
      {"(A='it''s')", "'it''s'"},
      {"(PROGRAM=C:\\bin\\tool.exe)", "C:\\bin\\tool.exe"},  // a backslash before a plain character stays
  };
  for (const auto& [text, expected] : cases) {
    BindingPtr binding = Parse(text);
    const char* atom = nullptr;
    size_t length = 0;
    ASSERT_EQ(nlnvgta(binding.get(), &atom, &length), 0) << text;
    EXPECT_EQ(std::string(atom, length), expected) << text;
    // The written form parses back to the same atom.
    const std::string written = TextOf(binding.get());
    EXPECT_EQ(TextOf(Parse(written).get()), written);
  }
}

TEST(NvText, MalformedTextsFailWithTheirCodeAndLeaveNothing) {
  struct Case {
    std::string text;
    int32_t code;
    size_t offset;
  };
  const Case cases[] = {
      {" \r\n\t", NLNV_ERROR_EMPTY, 4},
      {"A=1", NLNV_ERROR_OPEN, 0},
      {"(=1)", NLNV_ERROR_NAME, 1},
      {"(A 1)", NLNV_ERROR_EQUALS, 3},
      {"(A=(B=1)", NLNV_ERROR_CLOSE, 8},
      {"(A=(B=1) x)", NLNV_ERROR_CLOSE, 9},
      {"(A=1", NLNV_ERROR_CLOSE, 4},
      {"(A=(B=1)(C", NLNV_ERROR_CLOSE, 10},
      {"(A=\"x)", NLNV_ERROR_QUOTE, 3},
      {"(A='x\\')", NLNV_ERROR_QUOTE, 3},
      {"(A=x\\", NLNV_ERROR_QUOTE, 4},
      {"(A=x(y))", NLNV_ERROR_PAREN, 4},
      {"(A=1))", NLNV_ERROR_TRAILING, 5},
      {std::string("(A=x\0y)", 7), NLNV_ERROR_NUL, 4},
  };
  const long live = kelnl::allocation_hook::LiveBlocks();
  int sentinel = 0;
  for (const Case& c : cases) {
    NlnvBinding* binding = reinterpret_cast<NlnvBinding*>(&sentinel);  // must be overwritten
    NlnvError error{};
    EXPECT_EQ(nlnvcrb(c.text.data(), c.text.size(), &binding, &error), c.code) << c.text;
    EXPECT_EQ(error.code, c.code);
    EXPECT_EQ(error.offset, c.offset) << c.text;
    EXPECT_NE(error.message, nullptr);
    EXPECT_EQ(binding, nullptr);
    EXPECT_EQ(kelnl::allocation_hook::LiveBlocks(), live) << c.text;
  }
  NlnvBinding* binding = nullptr;
  EXPECT_EQ(nlnvcrb(nullptr, 3, &binding, nullptr), NLNV_ERROR_ARGUMENT);
  EXPECT_EQ(nlnvcrb("(A=1)", 5, nullptr, nullptr), NLNV_ERROR_ARGUMENT);
}

TEST(NvText, NestingIsLimitedWithoutDeepRecursion) {
  const std::string deepest = Nested(NLNV_MAX_DEPTH);
  BindingPtr binding = Parse(deepest);
  EXPECT_EQ(TextOf(binding.get()), deepest);
  NlnvBinding* copy = nullptr;
  EXPECT_EQ(nlnvcpb(binding.get(), &copy), 0);
  nlnvdeb(copy);

  const long live = kelnl::allocation_hook::LiveBlocks();
  for (const std::string& text : {Nested(NLNV_MAX_DEPTH + 1), Nested(200000)}) {
    NlnvBinding* too_deep = nullptr;
    NlnvError error{};
    EXPECT_EQ(nlnvcrb(text.data(), text.size(), &too_deep, &error), NLNV_ERROR_DEPTH);
    EXPECT_EQ(error.offset, 3u * NLNV_MAX_DEPTH);  // the '(' of the first binding too deep
    EXPECT_EQ(too_deep, nullptr);
  }
  EXPECT_EQ(kelnl::allocation_hook::LiveBlocks(), live);
}

TEST(NvText, SmallBuffersAreRefusedWithTheNeededLength) {
  BindingPtr binding = Parse("(A=(B=1))");
  char buffer[9] = "unset";
  size_t length = 0;
  EXPECT_EQ(nlnvcrs(binding.get(), buffer, sizeof buffer, &length), NLNV_ERROR_BUFFER);
  EXPECT_EQ(length, 9u);
  EXPECT_STREQ(buffer, "") << "the exact size is what every other test writes with";
}

constexpr char kDescriptor[] =
    "(Description=(ADDRESS=(PROTOCOL=tcp)(HOST=first))(address=(PROTOCOL=ipc)(HOST=second))"
    "(CONNECT_DATA=(SERVICE_NAME=sales)(Service_Name=ignored)))";

// Paths ignore the case of names and take the first match: the removal tests walk them.
TEST(NvQuery, NamesKeepTheirCase) {
  BindingPtr binding = Parse(kDescriptor);
  const char* name = nullptr;
  size_t length = 0;
  ASSERT_EQ(nlnvgtn(binding.get(), &name, &length), 0);
  EXPECT_EQ(std::string(name, length), "Description");
  EXPECT_EQ(name[length], '\0');
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
