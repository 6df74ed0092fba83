// One line at a time: matching, modifiers, keywords, listings and refusals.
#include <string>
#include <vector>

#include "tests/cmdint/interpreter_fixture.h"

#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#endif

namespace kelnl::testing {
namespace {

std::string Column(const std::string& text, std::size_t width) { return text + std::string(width - text.size(), ' '); }

const std::string kLegend = "(a name marked * takes further words)\n";

using Interpreter = InterpreterTest;

TEST_F(Interpreter, HelpListsTheTableInColumns) {
  EXPECT_EQ(Line("help"), 0);
  // Widest name "shutdown" plus 5: six columns fit in 79, the seventh starts a line.
  std::string expected = "Commands:\n" + kLegend + "\n";
  for (const char* name : {"show*", "set*", "repeat*", "shutdown", "status", "stat"}) expected += Column(name, 13);
  expected += "\n" + Column("ping", 13) + Column("trace*", 13) + "\n\n";
  EXPECT_EQ(Output(), expected);

  EXPECT_EQ(Line("HELP help show"), 0) << "help is seen any number of times, in any case";
  EXPECT_EQ(Output(), "Commands of show:\n" + kLegend + "\n" + Column("status", 11) + Column("trace*", 11) + "\n\n");
  EXPECT_EQ(Line("help status"), 0);
  EXPECT_EQ(Output(), kLegend) << "the command's help text";
  EXPECT_EQ(Line("help stat"), 0);
  EXPECT_EQ(Output(), "") << "a command without a help text prints nothing";
  EXPECT_TRUE(calls_.empty());
}

TEST_F(Interpreter, PrefixesMatchUniquelyOrListTheCandidates) {
  EXPECT_EQ(Line("sh"), 0);
  EXPECT_EQ(Output(), "sh is ambiguous; it may be one of:\n\n" + Column("show", 12) + Column("shutdown", 12) + "\n\n");
  EXPECT_EQ(Line("sho"), 0) << "show alone lists what accepts show";
  EXPECT_EQ(Output().rfind("Commands of show:\n", 0), 0u);
  EXPECT_EQ(Line("stat x"), 0) << "an exact name wins over a longer one";
  EXPECT_EQ(Line("STATU"), 0);
  ASSERT_EQ(calls_.size(), 2u);
  EXPECT_EQ(calls_[0].command, "stat");
  EXPECT_EQ(calls_[0].words, (std::vector<std::string>{"x"}));
  EXPECT_EQ(calls_[0].mode, NLCP_NONE);
  EXPECT_EQ(calls_[1].command, "status");
  EXPECT_EQ(calls_[1].path, (std::vector<std::int32_t>{4}));
  EXPECT_EQ(Line("status help"), 0) << "help after the command is an argument";
  EXPECT_EQ(calls_.back().words, (std::vector<std::string>{"help"}));
}

TEST_F(Interpreter, ModifiersAndKeywords) {
  EXPECT_EQ(Line("show status a b"), 0);
  EXPECT_EQ(calls_.back().mode, NLCP_SHOW);
  EXPECT_EQ(calls_.back().words, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Line("trace beta 1"), 0);
  EXPECT_EQ(calls_.back().command, "beta");
  EXPECT_EQ(calls_.back().path, (std::vector<std::int32_t>{7, 1}));
  EXPECT_EQ(Line("show trace"), 0);
  EXPECT_EQ(Output(), "Commands of show trace:\n" + kLegend + "\n" + Column("beta", 9) + "\n\n");
  EXPECT_EQ(Line("set trace"), 0);
  EXPECT_EQ(Output(), "Commands of set trace:\n" + kLegend + "\n    [none]\n\n");
  EXPECT_EQ(Line("show ping"), 0);
  EXPECT_EQ(Output(), "modifier not accepted; this command accepts:\n\n        [none]         repeat\n\n");
  EXPECT_EQ(calls_.size(), 2u);
}

TEST_F(Interpreter, RepeatHandsTheCountInTheCommandsSlot) {
  EXPECT_EQ(Line("repeat 5 ping a b"), 0);
  EXPECT_EQ(calls_.back().words, (std::vector<std::string>{"5", "a", "b"}));
  EXPECT_EQ(calls_.back().mode, NLCP_REPEAT);
  EXPECT_EQ(Line("ping a"), 0);
  EXPECT_EQ(calls_.back().words, (std::vector<std::string>{"1", "a"}));
  EXPECT_EQ(Line("repeat 5"), 0);
  EXPECT_EQ(Output(), "Commands of repeat:\n" + kLegend + "\n" + Column("ping", 9) + "\n\n");
  EXPECT_EQ(Line("repeat 5 ping a b c d"), NLE_CONTROL_ARGUMENT_RANGE) << "the count is not an argument";
}

TEST_F(Interpreter, RefusedLinesPushTheirError) {
  const struct {
    const char* line;
    std::int32_t code;
    const char* text;
  } cases[] = {
      {"frob", NLE_CONTROL_UNKNOWN_COMMAND, "NL-00853: unknown command: frob; enter help for a list"},
      {"show frob", NLE_CONTROL_UNKNOWN_COMMAND, "NL-00853: unknown command: show frob; enter help show for a list"},
      {"_secret", NLE_CONTROL_UNKNOWN_COMMAND, "NL-00853: unknown command: _secret; enter help for a list"},
      {"show set status", NLE_CONTROL_SECOND_MODIFIER, "NL-00855: only one modifier is allowed on a line"},
      {"stat", NLE_CONTROL_ARGUMENT_COUNT, "NL-00858: 1 arguments expected by stat"},
      {"status a b c", NLE_CONTROL_ARGUMENT_RANGE, "NL-00857: 0 to 2 arguments expected by status"},
      {"show stat x", NLE_CONTROL_NO_MODIFIER, "NL-00864: stat takes no modifier"},
      {"@no-such-file.cmd", NLE_CONTROL_NO_COMMAND_FILE,
       "NL-00865: cannot open command file no-such-file.cmd"},
  };
  for (const auto& refused : cases) {
    EXPECT_EQ(Line(refused.line), refused.code) << refused.line;
    EXPECT_EQ(Errors(), std::string(refused.text) + "\n") << refused.line;
    ClearErrors();
  }
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(Output(), "");
}

TEST_F(Interpreter, ExpertAndFileFlags) {
  EXPECT_EQ(Line("_secret", NLCP_EXPERT), 0);
  EXPECT_EQ(calls_.back().command, "_secret");
  EXPECT_EQ(Line("shutdown", NLCP_FROM_FILE), 0) << "no question from a command file";
  EXPECT_EQ(calls_.back().command, "shutdown");
  EXPECT_EQ(Output(), "");
}

TEST_F(Interpreter, SignalledErrorsComeBackFromTheLine) {
  EXPECT_EQ(Line("status fail"), NLE_NO_ERROR_STACK);
  EXPECT_EQ(context_.error_stack->recovery_chain, nullptr) << "the frame is off the chain";
  EXPECT_EQ(Line("status quit"), NLE_CONTROL_END);
  EXPECT_EQ(Line("status"), 0) << "the next line runs normally";
  EXPECT_EQ(calls_.size(), 3u);
}

#ifndef _WIN32
// Standard input replaced, for one scope, by a pipe that holds text and then ends.
class StandardInputFrom {
 public:
  explicit StandardInputFrom(const std::string& text) : saved_(dup(0)) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    EXPECT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(ends[1]);
    dup2(ends[0], 0);
    close(ends[0]);
    std::clearerr(stdin);
  }
  ~StandardInputFrom() {
    dup2(saved_, 0);
    close(saved_);
    std::clearerr(stdin);
  }

 private:
  int saved_;
};
#endif

TEST_F(Interpreter, ConfirmationIsReadFromTheTerminal) {
#ifdef _WIN32
  GTEST_SKIP() << "standard input is replaced through POSIX pipes";
#else
  {
    StandardInputFrom answer("YES\n");
    EXPECT_EQ(Line("shutdown"), 0);
  }
  EXPECT_EQ(Output(), "Are you sure (yes or no)? ");
  EXPECT_EQ(calls_.size(), 1u);
  for (const char* refusal : {"no\n", "", "yes please\n"}) {
    StandardInputFrom answer(refusal);
    EXPECT_EQ(Line("shutdown"), NLE_CONTROL_NOT_CONFIRMED) << "answer: " << refusal;
    EXPECT_EQ(Errors(), "NL-00859: command not confirmed\n");
    ClearErrors();
  }
  EXPECT_EQ(calls_.size(), 1u) << "an answer other than yes, or none at all, refuses";
  EXPECT_EQ(Line("shutdown", NLCP_EXPERT), 0) << "experts are not asked";
  EXPECT_EQ(calls_.size(), 2u);
#endif
}

TEST(WordSplitting, SeparatorsAndTheWordLimit) {
  char line[] = "  a\tbb\fc\nd\r  ";
  char* words[5];
  std::int32_t count = -1;
  EXPECT_EQ(nlcpprs(nullptr, line, 0, words, 4, &count), 0);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(words[1], "bb");
  EXPECT_STREQ(words[3], "d\r") << "a carriage return belongs to the word";
  EXPECT_EQ(words[4], nullptr);
  char empty[] = " \t ";
  EXPECT_EQ(nlcpprs(nullptr, empty, 0, words, 4, &count), 0);
  EXPECT_EQ(count, 0);
  char five[] = "a b c d e";
  EXPECT_EQ(nlcpprs(nullptr, five, 0, words, 4, &count), NLE_CONTROL_TOO_MANY_WORDS);
}

TEST_F(Interpreter, ALineOf130WordsIsRefused) {
  std::string line;
  for (int i = 0; i < 129; ++i) line += "w ";
  EXPECT_EQ(Line(line), NLE_CONTROL_UNKNOWN_COMMAND) << "129 words are split";
  ClearErrors();
  EXPECT_EQ(Line(line + "w"), NLE_CONTROL_TOO_MANY_WORDS);
  EXPECT_EQ(Errors(), "NL-00852: too many words on the line\n");
}

TEST(OptionWords, MoveBehindThePlainOnes) {
  char a[] = "a=1", b[] = "b", c[] = "c=2", d[] = "d";
  char* words[] = {a, b, c, d};
  std::int32_t options = -1, plain = -1;
  char** option_start = nullptr;
  char** plain_start = nullptr;
  nlcpargs(nullptr, 4, words, &options, &option_start, &plain, &plain_start);
  EXPECT_EQ(std::vector<std::string>(words, words + 4), (std::vector<std::string>{"b", "d", "c=2", "a=1"}));
  EXPECT_EQ(options, 2);
  EXPECT_EQ(option_start, words + 2);
  EXPECT_EQ(plain, 2);
  EXPECT_EQ(plain_start, words);

  char x[] = "x=1", y[] = "y=2";
  char* first_is_plain[] = {x, y};
  nlcpargs(nullptr, 2, first_is_plain, &options, &option_start, &plain, &plain_start);
  EXPECT_EQ(options, 1);
  EXPECT_STREQ(first_is_plain[0], "y=2") << "the first place always holds a plain word";
  nlcpargs(nullptr, 0, words, &options, &option_start, &plain, &plain_start);
  EXPECT_EQ(options + plain, 0);
  EXPECT_EQ(option_start, nullptr);
}

}  // namespace
}  // namespace kelnl::testing
