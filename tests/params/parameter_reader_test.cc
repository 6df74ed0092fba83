#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "kelnl/nlerrors.h"
#include "kelnl/nlpa.h"
#include "params/parameter_store.h"
#include "platform/core/allocator.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/params/parameter_walk.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace {

using kelnl::testing::Params;
using kelnl::testing::TempDir;

class ParameterReader : public ::testing::Test {
 protected:
  void TearDown() override { Release(); }
  void Release() {
    if (table_ != nullptr) kelnl::TearDownParameterTable(table_);
    table_ = nullptr;
  }
  // Back to no table and an empty record, for the next read of a test.
  void Reset() {
    Release();
    record_ = {};
  }

  NlFileNameDesc Descriptor(const std::string& path) {
    paths_.push_back(path);
    return kelnl::testing::DescriptorFor(paths_.back());
  }

  // Reads text as the file "main.kel" (plus command-line strings) into table_.
  int32_t Read(const std::string& text, std::vector<std::string> strings = {}, uint32_t options = 0) {
    const NlFileNameDesc desc = Descriptor(dir_.Write("main.kel", text));
    return ReadWith(&desc, strings, options);
  }
  int32_t ReadPath(const std::string& path) {
    const NlFileNameDesc desc = Descriptor(path);
    return ReadWith(&desc, {}, 0);
  }
  int32_t ReadWith(const NlFileNameDesc* desc, std::vector<std::string> strings, uint32_t options) {
    std::vector<char*> argv = Argv(std::move(strings));
    return nlpains(&record_, &table_, options, desc, nullptr, 0, nullptr, nullptr,
                   static_cast<int32_t>(argv.size()), argv.empty() ? nullptr : argv.data());
  }
  // The strings as command-line arguments, kept until the next call.
  std::vector<char*> Argv(std::vector<std::string> strings) {
    strings_ = std::move(strings);
    std::vector<char*> argv;
    for (auto& s : strings_) argv.push_back(s.data());
    return argv;
  }

  NlParamEntry* Entry(const std::string& name) {
    return kelnl::FindEntry(table_, name.data(), static_cast<uint32_t>(name.size()));
  }
  // The value a case-insensitive lookup finds: that of the newest spelling.
  std::string Value(const std::string& name) { return kelnl::testing::StoredValue(table_, name); }
  Params All() { return kelnl::testing::WalkParameters(table_); }
  std::vector<int> Codes() const { return kelnl::testing::Codes(record_); }

  TempDir dir_;
  NlPrimaryErrorRecord record_{};
  NlParameterTable* table_ = nullptr;
  std::deque<std::string> paths_;  // a deque keeps its strings in place
  std::vector<std::string> strings_;
};

// The reader hashes a name as it folds it (whole words at a time, and only the bytes that reach
// the hash); lookups hash the folded name plainly. Both must agree at every length.
TEST_F(ParameterReader, NamesOfEveryLengthAreFoundInAnyCase) {
  std::string text;
  std::vector<std::string> names;
  for (std::size_t length = 1; length <= 26; ++length) {
    std::string name;
    for (std::size_t i = 0; i < length; ++i) name += static_cast<char>('a' + (i * 7 + length) % 26);
    names.push_back(name);
    std::string capital = name;
    capital[length / 2] = static_cast<char>(std::toupper(static_cast<unsigned char>(capital[length / 2])));
    text += name + " = l" + std::to_string(length) + "\n" + "Z" + capital + " = u" + std::to_string(length) + "\n";
  }
  ASSERT_EQ(Read(text), 0);
  for (const std::string& name : names) {
    const std::string length = std::to_string(name.size());
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Value(upper), "l" + length) << name;
    EXPECT_EQ(Value("z" + name), "u" + length) << name;
  }
}

// Spellings of one name replaced at random, against a model: one binding per spelling, newest
// first, each with its latest value, whether the spelling moved from the head, the middle or the
// tail of the list.
TEST_F(ParameterReader, ManySpellingsKeepOneBindingEachNewestFirst) {
  std::mt19937 random(5);
  std::vector<std::pair<std::string, std::string>> model;  // newest first
  std::string text;
  auto store = [&](const std::string& spelling, const std::string& value) {
    std::erase_if(model, [&](const auto& binding) { return binding.first == spelling; });
    model.insert(model.begin(), {spelling, value});
  };
  for (int i = 0; i < 600; ++i) {
    std::string spelling = "trace_lev";
    for (char& c : spelling) {
      if (random() % 3 == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    text += spelling + " = " + std::to_string(i) + "\n";
    store(spelling, std::to_string(i));
  }
  ASSERT_EQ(Read(text), 0);
  EXPECT_STREQ(Entry("TRACE_LEV")->key, "trace_lev");
  EXPECT_EQ(table_->flags, NLPA_READ_COMPLETE);
  std::vector<std::pair<std::string, std::string>> found;
  for (NlParamBinding* b = Entry("trace_lev")->bindings; b != nullptr; b = b->next) {
    found.emplace_back(b->name, b->value->text);
  }
  EXPECT_EQ(found, model);
}

// A name repeated in one statement's list is bound once.
TEST_F(ParameterReader, NamesOfOneStatementShareItsValueUntilOneIsReplaced) {
  ASSERT_EQ(Read("A, B = (x=1)\nD, C , C = (v=1)\nA = 3\n"), 0);
  EXPECT_EQ(Value("a"), "3");
  EXPECT_EQ(Value("b"), "(x=1)");
  EXPECT_EQ(Entry("b")->bindings->value->reference_count, 1);
  EXPECT_EQ(Entry("c")->bindings->value, Entry("d")->bindings->value);
  EXPECT_EQ(Entry("c")->bindings->value->reference_count, 2);
  EXPECT_EQ(Entry("c")->bindings->next, nullptr);
}

TEST_F(ParameterReader, ValueLayoutRules) {
  ASSERT_EQ(Read("LIST = (A=1)\n   (B=2)\n"
                 "CLOSE = (A=\n)\n"
                 "DQ = \"a b\"\n"
                 "SQ = 'a b'\n"
                 "COMMENTED = a   # trailing comment\n"
                 "HASH = a\\#b\n"
                 "OTHER = \\q\n"
                 "NEXT =\n"
                 "Y = 1\n"
                 "SPLIT = (A=1\n"
                 "# a comment line inside the value\n"
                 "\n"
                 "\t (B = 2))\n"
                 "PLAIN = x(y)\n"
                 "ESCNL = a\\\nb\n"),
            0);
  EXPECT_EQ(All(), (Params{{"CLOSE", "(A=)"}, {"COMMENTED", "a"}, {"DQ", "a b"}, {"ESCNL", "a\nb"},
                            {"HASH", "a#b"}, {"LIST", "(A=1) (B=2)"}, {"NEXT", "Y = 1"}, {"OTHER", "\\q"},
                            {"PLAIN", "x(y)"}, {"SPLIT", "(A=1 (B = 2))"}, {"SQ", "'a b'"}}));
}

TEST_F(ParameterReader, MalformedStatementsAndTheirCodes) {
  // Two parentheses open: a line with one ')' ends the value (427); the ')' then starts a name
  // list that the next line's text drops together with that line.
  EXPECT_EQ(Read("X = ((A=\n)\nY = 1\n  indented = 1\nZ = 2\n=nothing\nA B = 1\n"), NLE_PARAM_INDENTED_LINE);
  EXPECT_EQ(Codes(), (std::vector<int>{NLE_PARAM_BAD_LIST, NLE_PARAM_INDENTED_LINE}));
  EXPECT_EQ(All(), (Params{{"X", "((A="}, {"Z", "2"}}));
  EXPECT_EQ(record_.errors[0].kind, 4);
}

// The value read so far is stored.
TEST_F(ParameterReader, EndOfInputInsideAStatement) {
  const std::pair<const char*, Params> cases[] = {{"X = (\n", {{"X", "("}}},
                                                  {"Q = \"open quote\nR = 1\n", {{"Q", "open quote\nR = 1\n"}}},
                                                  {"A, B", {}},
                                                  {"A =   \n\n", {}}};
  for (const auto& [text, stored] : cases) {
    Reset();
    EXPECT_EQ(Read(text), NLE_PARAM_UNEXPECTED_END) << text;
    EXPECT_EQ(All(), stored) << text;
  }
  Reset();
  Read("X = (\n");
  EXPECT_EQ(Codes(), (std::vector<int>{NLE_PARAM_BAD_LIST, NLE_PARAM_UNEXPECTED_END}));
}

TEST_F(ParameterReader, IncludesNestFourDeepAndRecordTheirNames) {
  std::string names[6];
  for (int i = 5; i >= 1; --i) {
    const std::string next = i < 5 ? "ifile = " + dir_.File("f" + std::to_string(i + 1) + ".kel") + "\n" : "";
    names[i] = dir_.Write("f" + std::to_string(i) + ".kel", next + "F" + std::to_string(i) + " = yes\n");
  }
  EXPECT_EQ(Read("ifile = \"" + names[1] + "\"\nMAIN = 1\n"), NLE_PARAM_INCLUDE_TOO_DEEP);
  EXPECT_EQ(All(), (Params{{"F1", "yes"}, {"F2", "yes"}, {"F3", "yes"}, {"F4", "yes"}, {"MAIN", "1"}}));
  EXPECT_EQ(std::string(table_->first_file_name), dir_.File("main.kel"));
  EXPECT_EQ(table_->first_name_length, dir_.File("main.kel").size());
  EXPECT_EQ(std::string(table_->third_file_name), names[1]);
}

// A repeated include is skipped only where reading it again could change nothing: right after the
// same include, with nothing stored in between and no room left for its error codes. (Otherwise a
// file that includes itself forty times over is read 40^4 times; the cost benchmark measures it.)
TEST_F(ParameterReader, RepeatedIncludesAreReadAgainWhereThatChangesSomething) {
  const std::string one = dir_.Write("one.kel", "A = 1\n");
  EXPECT_EQ(Read("ifile = " + one + "\nA = 2\nifile = " + one + "\n"), 0);
  EXPECT_EQ(Value("a"), "1") << "a statement stored in between";
  Reset();
  const std::string indented = dir_.Write("indented.kel", "  indented\n");
  EXPECT_EQ(Read("ifile = " + indented + "\nifile = " + indented + "\n"), NLE_PARAM_INDENTED_LINE);
  EXPECT_EQ(Codes(), std::vector<int>(2, NLE_PARAM_INDENTED_LINE)) << "room in the record";

  Reset();
  const std::string self = dir_.File("self.kel");
  std::string text = "A = 1\n";
  for (int i = 0; i < 40; ++i) text += "ifile = " + self + "\n# between\n";
  dir_.Write("self.kel", text + "B = 2\n");
  EXPECT_EQ(ReadPath(self), NLE_PARAM_INCLUDE_TOO_DEEP);
  EXPECT_EQ(Codes(), std::vector<int>(5, NLE_PARAM_INCLUDE_TOO_DEEP));
  EXPECT_EQ(All(), (Params{{"A", "1"}, {"B", "2"}}));
}

TEST_F(ParameterReader, MissingIncludeGoesOnAndMissingFileIsForgivenWithStrings) {
  EXPECT_EQ(Read("ifile = " + dir_.File("absent.kel") + "\nA = 1\n"), NLE_PARAM_FILE_NOT_OPENED);
  EXPECT_EQ(Value("a"), "1");
  EXPECT_EQ(record_.os_facility, 3);

  Reset();
  const NlFileNameDesc missing = Descriptor(dir_.File("nowhere.kel"));
  EXPECT_EQ(ReadWith(&missing, {}, 0), NLE_PARAM_FILE_NOT_OPENED);
  EXPECT_EQ(std::string(table_->first_file_name), dir_.File("nowhere.kel")) << "recorded all the same";
  Reset();
  EXPECT_EQ(ReadWith(&missing, {"a=1"}, 0), 0);
  EXPECT_EQ(record_.count, 0);
  EXPECT_EQ(Value("a"), "1");

  NlParameterTable* unrecorded = nullptr;
  EXPECT_EQ(nlpains(nullptr, &unrecorded, 0, &missing, nullptr, 0, nullptr, nullptr, 0, nullptr),
            NLE_PARAM_FILE_NOT_OPENED) << "without a record the code is the result alone";
  nlpatrm(nullptr, &unrecorded);
}

TEST_F(ParameterReader, ReadingOptions) {
  const std::string extra = dir_.Write("extra.kel", "trace_level = 9\nextra = 1\n");
  ASSERT_EQ(ReadWith(nullptr, {"trace_level=4", "IFILE=" + extra}, NLPA_COMMAND_LINE), 0);
  EXPECT_EQ(All(), (Params{{"extra", "1"}, {"trace_level", "4"}})) << "command-line includes come first";

  Reset();
  ASSERT_EQ(Read("A = 1\n", {}, NLPA_LOCAL_FILE), 0);
  EXPECT_EQ(std::string(table_->second_file_name), dir_.File("main.kel"));
  EXPECT_EQ(table_->first_name_length, 0u);

  Reset();
  ASSERT_EQ(Read("A = 1\n", {"b=2"}, NLPA_CREATE_ONLY), 0);
  ASSERT_NE(table_, nullptr);
  EXPECT_EQ(nlhthsize(table_->index), 0) << "create-only reads nothing";
}

TEST_F(ParameterReader, TokensOfAnyLengthAndCarriageReturns) {
  const std::string long_value(20000, 'v');
  const std::string long_name(3000, 'n');
  ASSERT_EQ(Read(long_name + " = " + long_value + "\r\nshort = (a=1)\r\n  (b=2)\r\n" +
                 "three = x\r\r\r\nfour = y\r\r\r\r\nalone = z\r"),
            0);
  // Only the carriage return right before the newline belongs to the line end.
  EXPECT_EQ(All(), (Params{{long_name, long_value}, {"alone", "z\r"}, {"four", "y\r\r\r"}, {"short", "(a=1) (b=2)"},
                            {"three", "x\r\r"}}));
}

// A directory is no parameter file; a device that never ends is read up to a bound and then
// reported (main files and includes are opened alike).
TEST_F(ParameterReader, DirectoriesAndEndlessDevicesAreRefused) {
  EXPECT_EQ(ReadPath(dir_.path().string()), NLE_PARAM_FILE_NOT_OPENED);
  if (!std::filesystem::exists("/dev/zero")) return;
  Reset();
  EXPECT_EQ(Read("ifile = /dev/zero\nB = 2\n"), NLE_PARAM_SOURCE_WITHOUT_END);
  EXPECT_EQ(Value("b"), "2");
}

// The side file of brisol.kel in a folder with a dot in its name is brisol.file in that folder.
TEST_F(ParameterReader, RegressionSideFileStaysBesideItsParameterFile) {
  kelnl::testing::ScopedEnvironment regression("T_LDREGRESS", "1");
  std::filesystem::create_directory(dir_.path() / "app.d");
  const std::string main = dir_.Write("app.d/brisol.kel", "Trace_Level = Support\n");
  ASSERT_EQ(ReadPath(main), 0);
  Release();  // the side file is flushed when the next one opens or the process ends
  ASSERT_EQ(ReadPath(dir_.Write("other.kel", "x = 1\n")), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "app.file"));
  EXPECT_EQ(dir_.ReadText("app.d/brisol.file"), "trace_level = support\n");
}

// Every statement kind meets a failing allocation, in both forms of exhaustion: a file with an
// include and long tokens (the binding, value and entry of one statement each need storage of
// their own), read again into the existing table with strings (one an include) and, the second
// time round, with the regression side file. Whatever is kept is whole.
TEST_F(ParameterReader, OutOfMemoryKeepsWhatWasStored) {
  const std::string long_name(9000, 'n');
  const std::string long_value(25000, 'v');
  const std::string include = dir_.Write("inc.kel", "E = 5\nF, G = (y=2)\n");
  const std::string text = "A = 1\nB, C = (x=1)\nD = " + std::string(1500, 'd') + "\nifile = " + include + "\n" +
                           long_name + " = " + long_value + "\nA = 6\n";
  const NlFileNameDesc desc = Descriptor(dir_.Write("main.kel", text));
  const std::map<std::string, std::vector<std::string>> allowed = {
      {"a", {"1", "6", "7"}}, {"b", {"(x=1)"}}, {"c", {"(x=1)"}}, {"d", {std::string(1500, 'd'), "4"}},
      {"e", {"5"}}, {"f", {"(y=2)"}}, {"g", {"(y=2)"}}, {long_name, {long_value}}};
  for (const bool side_file : {false, true}) {
    kelnl::testing::ScopedEnvironment regression("T_LDREGRESS", side_file ? "1" : nullptr);
    kelnl::testing::SweepAllocationFailures(
        [&] {
          record_ = {};
          const int32_t first = ReadWith(&desc, {}, 0);
          const int32_t second = table_ == nullptr ? 0 : ReadWith(nullptr, {"D=4", "ifile=" + include, "A=7"}, 0);
          if (!kelnl::testing::AllocationFailed()) {
            EXPECT_EQ(first, 0);
            EXPECT_EQ(second, 0);
          } else if (first != 0) {
            EXPECT_EQ(first, NLE_PARAM_NO_MEMORY);
          }
          if (table_ == nullptr) return;
          for (const auto& [name, values] : allowed) {
            const std::string found = Value(name);
            EXPECT_TRUE(found == "<absent>" || std::find(values.begin(), values.end(), found) != values.end())
                << name.substr(0, 10) << " = " << found.substr(0, 20);
          }
        },
        [&] { Release(); }, kelnl::testing::FailureForm::kBoth);
  }
}

// ---- Lookup mode -----------------------------------------------------------------------------

class ParameterLookup : public ParameterReader {
 protected:
  int32_t Lookup(const std::string& wanted, char** value, uint32_t* size, uint32_t options = NLPA_LOOKUP_MODE,
                 std::vector<std::string> strings = {}) {
    std::vector<char*> argv = Argv(std::move(strings));
    return nlpains(&record_, nullptr, options, &desc_, wanted.data(), static_cast<uint32_t>(wanted.size()), value,
                   size, static_cast<int32_t>(argv.size()), argv.empty() ? nullptr : argv.data());
  }
  void SetUp() override {
    desc_ = Descriptor(dir_.Write("main.kel", "trace_level = support\nLog_Dir = (a = 1)\nafter = x\n"));
  }
  NlFileNameDesc desc_{};
};

TEST_F(ParameterLookup, IntoANewBufferOrTheCallersBuffer) {
  char* value = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(Lookup("LOG_DIR", &value, &size), 0);
  EXPECT_STREQ(value, "(a = 1)");
  EXPECT_EQ(size, 7u);
  std::free(value);  // a plain heap block in an ordinary process

  char buffer[8];
  char* into = buffer;
  size = sizeof buffer - 1;
  ASSERT_EQ(Lookup("trace_level", &into, &size), 0);
  EXPECT_STREQ(buffer, "support");
  EXPECT_EQ(record_.count, 0);

  size = 3;
  EXPECT_EQ(Lookup("trace_level", &into, &size), NLE_PARAM_VALUE_TOO_LONG);
  EXPECT_EQ(size, 7u) << "the size a retry needs";
}

TEST_F(ParameterLookup, MissingNameIsReportedWith408AndCaseSensitivityIsAnOption) {
  char* value = nullptr;
  uint32_t size = 0;
  // Case-sensitive lookups pass over other spellings of a list statement and of a plain one-line
  // statement alike.
  for (const auto& [name, options] : {std::pair<const char*, uint32_t>{"absent", NLPA_LOOKUP_MODE},
                                      {"log_dir", NLPA_LOOKUP_MODE | NLPA_CASE_SENSITIVE},
                                      {"TRACE_LEVEL", NLPA_LOOKUP_MODE | NLPA_CASE_SENSITIVE}}) {
    record_ = {};
    EXPECT_EQ(Lookup(name, &value, &size, options), 0) << name;
    ASSERT_EQ(record_.count, 1) << name;
    EXPECT_EQ(record_.errors[0].error, NLE_PARAM_NOT_FOUND) << name;
  }
  ASSERT_EQ(Lookup("TRACE_LEVEL", &value, &size), 0);
  EXPECT_STREQ(value, "support");
  std::free(value);
}

TEST_F(ParameterLookup, OutOfMemoryDeliversAllOrNothing) {
  kelnl::testing::SweepAllocationFailures(
      [&] {
        record_ = {};
        char* value = nullptr;
        uint32_t size = 0;
        const int32_t result = Lookup("wanted", &value, &size, NLPA_LOOKUP_MODE, {"x=1", "WANTED=(v=1)"});
        if (kelnl::testing::AllocationFailed()) {
          EXPECT_TRUE(result == NLE_PARAM_NO_MEMORY || record_.errors[0].error == NLE_PARAM_NO_MEMORY) << result;
        } else {
          EXPECT_EQ(result, 0);
          EXPECT_NE(value, nullptr) << "a command-line string is found";
        }
        if (value != nullptr) {
          EXPECT_STREQ(value, "(v=1)");
          kelnl::Release(value);
        }
      },
      [] {}, kelnl::testing::FailureForm::kBoth);
}

}  // namespace
