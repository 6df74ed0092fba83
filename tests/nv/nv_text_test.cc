// Parsing and writing the text form.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/allocation_hook.h"
#include "tests/nv/nv_test_util.h"

namespace kelnv::testing {
namespace {

TEST(NvText, RealDescriptorShapesRoundTrip) {
  const char* const shapes[] = {
      "(DESCRIPTION_LIST=(FAILOVER=off)(DESCRIPTION=(ADDRESS=(PROTOCOL=ipc)(KEY=k1)))"
      "(DESCRIPTION=(SOURCE_ROUTE=yes)(HOP_COUNT=1)(ADDRESS_LIST=(ADDRESS=(HOST=a))"
      "(ADDRESS=(HOST=b)))(CONNECT_DATA=(SID=orcl)(SERVER=dedicated))))",
      "(PROGRAM=C:\\bin\\tool.exe)",
  };
  for (const char* shape : shapes) {
    BindingPtr binding = Parse(shape);
    EXPECT_EQ(TextOf(binding.get()), shape);
  }
}

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
      {"(A='(' and ')')", "'(' and ')'"},
      {"(A=\\(x\\))", "\\(x\\)"},
      {"(A=\"say \\\"(hi)\\\"\")", "\"say \\\"(hi)\\\"\""},
      {"(A=x\\ )", "x\\ "},       // an escaped blank at the end is part of the atom
      {"(A=\" x \"  )", "\" x \""},
      {"(A=B=1,C=2)", "B=1,C=2"},  // '=' is ordinary inside an atom
      {"(A='it''s')", "'it''s'"},
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
      {"", NLNV_ERROR_EMPTY, 0},
      {" \r\n\t", NLNV_ERROR_EMPTY, 4},
      {"A=1", NLNV_ERROR_OPEN, 0},
      {"(=1)", NLNV_ERROR_NAME, 1},
      {"((A=1))", NLNV_ERROR_NAME, 1},
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
  EXPECT_STREQ(buffer, "");
  char exact[10];
  EXPECT_EQ(nlnvcrs(binding.get(), exact, sizeof exact, &length), 0);
  EXPECT_STREQ(exact, "(A=(B=1))");
}

}  // namespace
}  // namespace kelnv::testing
