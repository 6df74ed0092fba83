// A file is read in blocks, and names and values that end inside a block are taken from it in
// place. Whatever a block boundary cuts (a name, a value, a line end, a carriage return before
// its newline, a continuation line), the file must read exactly as the same text given whole as
// a command-line string.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelnl/nlpa.h"
#include "params/parameter_store.h"
#include "tests/params/parameter_walk.h"
#include "tests/support/test_files.h"

namespace {

using kelnl::testing::Params;
using kelnl::testing::TempDir;

constexpr std::size_t kBlockBytes = 16384;

struct Reading {
  int32_t result = 0;
  std::vector<int32_t> codes;
  Params parameters;
};

Reading Collect(int32_t result, const NlPrimaryErrorRecord& record, NlParameterTable* table) {
  Reading reading{result, {}, kelnl::testing::WalkParameters(table)};
  for (int i = 0; i < record.count; ++i) reading.codes.push_back(record.errors[i].error);
  kelnl::TearDownParameterTable(table);
  return reading;
}

Reading ReadFile(const std::string& path) {
  const NlFileNameDesc desc = kelnl::testing::DescriptorFor(path);
  NlPrimaryErrorRecord record{};
  NlParameterTable* table = nullptr;
  const int32_t result = nlpains(&record, &table, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr);
  return Collect(result, record, table);
}

Reading ReadString(std::string text) {
  char* argv[] = {text.data()};
  NlPrimaryErrorRecord record{};
  NlParameterTable* table = nullptr;
  const int32_t result = nlpains(&record, &table, 0, nullptr, nullptr, 0, nullptr, nullptr, 1, argv);
  return Collect(result, record, table);
}

// Statements of every shape the reader takes in place or gathers, with numbered names.
std::string Statements(int first, int count) {
  std::string text;
  for (int i = first; i < first + count; ++i) {
    const std::string n = std::to_string(i);
    text += "plain_" + n + " = value_" + n + "\n";
    text += "Mixed_" + n + " = v" + n + "\r\n";
    text += "a_" + n + ", b_" + n + " = (x = y" + n + ")\n";
    text += "cont_" + n + " = one\n  two_" + n + "\n";
    text += "q_" + n + " = 'quoted " + n + "' \n";
    text += "# comment " + n + "\n";
    text += "tail_" + n + "=t" + n + "\n\n";
  }
  return text;
}

TEST(ParameterBuffer, BlockBoundaryAnywhereReadsAsTheWholeText) {
  TempDir dir;
  const std::string statements = Statements(0, 4);
  // Shifting the statements over one group's length puts the boundary at each of its characters.
  const std::size_t group = Statements(0, 1).size();
  for (std::size_t shift = 0; shift <= group + 2; ++shift) {
    const std::string filler = "#" + std::string(kBlockBytes - 2 * group + shift, '-') + "\n";
    const std::string text = filler + statements;
    const Reading from_file = ReadFile(dir.Write("blocks.kel", text));
    const Reading from_string = ReadString(text);
    ASSERT_EQ(from_file.parameters.size(), 4u * 7) << "shift " << shift;
    EXPECT_EQ(from_file.parameters, from_string.parameters) << "shift " << shift;
    EXPECT_EQ(from_file.codes, from_string.codes) << "shift " << shift;
    EXPECT_EQ(from_file.result, from_string.result) << "shift " << shift;
  }
}

// Statements a character away from the plain `name = value` line, which the reader takes in one
// pass (sixteen characters a step where it can): each reads as its own shape does, whether the
// character that makes the difference comes early or late in the line. (Comments, quotes, name
// lists, continuations and line ends early in a line are the reader tests' statements.)
TEST(ParameterBuffer, StatementsCloseToThePlainShape) {
  const Reading reading = ReadString(
      "plain=p\n"
      "spaced \t=\t s\n"
      "fives = 5\n"
      "nextline =\n  n\n"
      "tabbed = abcdefghijklmnop\tq\n"
      "escaped = abcdefghijklmnop\\=q\n"
      "quoted = abcdefghijklmnop\"q\"\n"
      "a_name_longer_than_sixteen,second = two\n"
      "last = l\n");
  EXPECT_TRUE(reading.codes.empty());
  const Params expected{
      {"plain", "p"}, {"spaced", "s"}, {"fives", "5"}, {"nextline", "n"}, {"last", "l"},
      {"tabbed", "abcdefghijklmnop q"},   {"escaped", "abcdefghijklmnop=q"}, {"quoted", "abcdefghijklmnopq"},
      {"a_name_longer_than_sixteen", "two"}, {"second", "two"}};
  EXPECT_EQ(reading.parameters, expected);
}

// A NUL in the text ends a scan early but is an ordinary character of a value, and a file that
// ends without its last newline still ends its last value.
TEST(ParameterBuffer, NulCharactersAndAMissingLastNewline) {
  TempDir dir;
  // Not "nul.kel": Windows opens any nul.* name as its null device, an empty file.
  const std::string path = dir.Write("nulchars.kel", std::string("a = x\0y\nb\0c = 1\nlast = z", 24));
  const NlFileNameDesc desc = kelnl::testing::DescriptorFor(path);
  NlPrimaryErrorRecord record{};
  NlParameterTable* table = nullptr;
  ASSERT_EQ(nlpains(&record, &table, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr), 0);
  using kelnl::testing::StoredValue;
  EXPECT_EQ(StoredValue(table, "a"), std::string("x\0y", 3));
  EXPECT_EQ(StoredValue(table, "last"), "z");
  // A NUL is no name character: the statement it stands in is dropped.
  EXPECT_EQ(StoredValue(table, "b"), "<absent>");
  kelnl::TearDownParameterTable(table);
}

}  // namespace
