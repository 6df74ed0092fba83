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

// The handler call a line made, as "command words... / mode / path", or "" for none.
std::string CallOf(const std::vector<HandlerCall>& calls, std::size_t before) {
  if (calls.size() == before) return "";
  const HandlerCall& call = calls.back();
  std::string text = call.command;
  for (const std::string& word : call.words) text += " " + word;
  text += " / " + std::to_string(call.mode) + " /";
  for (std::int32_t index : call.path) text += " " + std::to_string(index);
  return text;
}

TEST_F(Interpreter, HelpMatchingModifiersKeywordsAndRepeat) {
  // Widest name "shutdown" plus 5: six columns fit in 79, the seventh starts a line.
  std::string help = "Commands:\n" + kLegend + "\n";
  for (const char* name : {"show*", "set*", "repeat*", "shutdown", "status", "stat"}) help += Column(name, 13);
  help += "\n" + Column("ping", 13) + Column("trace*", 13) + "\n\n";
  const std::string help_show =
      "Commands of show:\n" + kLegend + "\n" + Column("status", 11) + Column("trace*", 11) + "\n\n";
  const std::string none = std::to_string(NLCP_NONE);
  const std::string show = std::to_string(NLCP_SHOW);
  const std::string repeat = std::to_string(NLCP_REPEAT);
  const struct {
    std::string line;
    std::uint32_t flags;
    std::string output;
    std::string call;
  } cases[] = {
      {"help", 0, help, ""},
      {"HELP help show", 0, help_show, ""},  // help is seen any number of times, in any case
      {"help status", 0, kLegend, ""},       // the command's help text
      {"sh", 0, "sh is ambiguous; it may be one of:\n\n" + Column("show", 12) + Column("shutdown", 12) + "\n\n", ""},
      {"sho", 0, help_show, ""},                   // show alone lists what accepts show
      {"stat x", 0, "", "stat x / " + none + " / 5"},         // an exact name wins over a longer one
      {"STATU", 0, "", "status / " + none + " / 4"},
      {"show status a b", 0, "", "status a b / " + show + " / 4"},
      {"trace beta 1", 0, "", "beta 1 / " + none + " / 7 1"},
      {"show trace", 0, "Commands of show trace:\n" + kLegend + "\n" + Column("beta", 9) + "\n\n", ""},
      {"set trace", 0, "Commands of set trace:\n" + kLegend + "\n    [none]\n\n", ""},
      {"show ping", 0, "modifier not accepted; this command accepts:\n\n        [none]         repeat\n\n", ""},
      // Repeat hands the count in the command's first slot, and 1 without it.
      {"repeat 5 ping a b", 0, "", "ping 5 a b / " + repeat + " / 6"},
      {"ping a", 0, "", "ping 1 a / " + none + " / 6"},
      {"_secret", NLCP_EXPERT, "", "_secret / " + none + " / 8"},
      {"shutdown", NLCP_FROM_FILE, "", "shutdown / " + none + " / 3"},  // no question from a command file
  };
  for (const auto& c : cases) {
    const std::size_t before = calls_.size();
    EXPECT_EQ(Line(c.line, c.flags), 0) << c.line;
    EXPECT_EQ(Output(), c.output) << c.line;
    EXPECT_EQ(CallOf(calls_, before), c.call) << c.line;
  }
  EXPECT_EQ(Line("repeat 5 ping a b c d"), NLE_CONTROL_ARGUMENT_RANGE) << "the count is not an argument";
}

TEST_F(Interpreter, RefusedLinesPushTheirError) {
  std::string words_129;
  for (int i = 0; i < 129; ++i) words_129 += "w ";
  const struct {
    std::string line;
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
      // 129 words are split; the 130th is one too many.
      {words_129, NLE_CONTROL_UNKNOWN_COMMAND, "NL-00853: unknown command: w; enter help for a list"},
      {words_129 + "w", NLE_CONTROL_TOO_MANY_WORDS, "NL-00852: too many words on the line"},
  };
  for (const auto& refused : cases) {
    EXPECT_EQ(Line(refused.line), refused.code) << refused.line.substr(0, 20);
    EXPECT_EQ(Errors(), std::string(refused.text) + "\n") << refused.line.substr(0, 20);
    ClearErrors();
  }
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(Output(), "");
}

TEST_F(Interpreter, SignalledErrorsComeBackFromTheLine) {
  EXPECT_EQ(Line("status fail"), NLE_NO_ERROR_STACK);
  EXPECT_EQ(context_.error_stack->recovery_chain, nullptr) << "the frame is off the chain";
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

// Blank lines and the word limit are the driver's and the interpreter's cases.
TEST(WordSplitting, SeparatorsEndWords) {
  char line[] = "  a\tbb\fc\nd\r  ";
  char* words[5];
  std::int32_t count = -1;
  EXPECT_EQ(nlcpprs(nullptr, line, 0, words, 4, &count), 0);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(words[1], "bb");
  EXPECT_STREQ(words[3], "d\r") << "a carriage return belongs to the word";
  EXPECT_EQ(words[4], nullptr);
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
