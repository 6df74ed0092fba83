// Reading message-file lines and indexing them.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/nls/message_index.h"

namespace {

using kelnl::nls::BuildMessageIndex;
using kelnl::nls::FindMessage;
using kelnl::nls::LineKind;
using kelnl::nls::MessageIndex;
using kelnl::nls::ParseMessageLine;

std::string TextOf(std::string_view line) {
  const auto parsed = ParseMessageLine(line);
  EXPECT_EQ(parsed.kind, LineKind::kMessage) << line;
  return std::string(line.substr(parsed.text_start, parsed.text_length));
}

TEST(MessageLine, AcceptedAndMalformedForms) {
  EXPECT_EQ(ParseMessageLine("00462, 00000, \"bad file %s\"").number, 462u);
  EXPECT_EQ(TextOf("00462, 00000, \"bad file %s\""), "bad file %s");
  EXPECT_EQ(TextOf("\t7 ,0,\"x\"  \r"), "x");
  EXPECT_EQ(TextOf("1, 0, \"say \"hi\" twice\""), "say \"hi\" twice") << "the text ends at the last quote";
  EXPECT_EQ(TextOf("1, 0, \"\""), "");
  EXPECT_EQ(ParseMessageLine("123456789, 0, \"nine digits\"").number, 123456789u);
  EXPECT_EQ(ParseMessageLine("").kind, LineKind::kBlank);
  EXPECT_EQ(ParseMessageLine("  \t\r").kind, LineKind::kBlank);
  EXPECT_EQ(ParseMessageLine("  // 00001, 00000, \"commented out\"").kind, LineKind::kComment);
  for (std::string_view line : {"hello", "1 0 \"no commas\"", "1, \"one number\"", "1, 0, no quotes",
                                "1, 0, \"unclosed", "1, 0, \"text\" trailing", "1234567890, 0, \"too long\"",
                                ", 0, \"no number\"", "/ 1, 0, \"x\""}) {
    EXPECT_EQ(ParseMessageLine(line).kind, LineKind::kMalformed) << line;
  }
}

TEST(MessageIndexBuild, SortsKeepsFirstDuplicateCountsBadLinesAndRefusesOversizedTexts) {
  const std::string text =
      "30, 0, \"thirty\"\n"
      "// comment\n"
      "\n"
      "10, 0, \"ten\"\r\n"
      "garbage\n"
      "30, 0, \"thirty again\"\n"
      "20, 0, \"twenty\"";  // no final line feed
  MessageIndex index{};
  ASSERT_TRUE(BuildMessageIndex(text, &index));
  EXPECT_EQ(index.count, 3u);
  EXPECT_EQ(index.malformed_lines, 1u);
  for (std::uint32_t i = 1; i < index.count; ++i) EXPECT_LT(index.entries[i - 1].number, index.entries[i].number);
  auto text_of = [&](std::uint32_t number) {
    const auto* entry = FindMessage(index, number);
    return entry == nullptr ? std::string("<none>") : text.substr(entry->offset, entry->length);
  };
  EXPECT_EQ(text_of(30), "thirty");
  EXPECT_EQ(text_of(10), "ten");
  EXPECT_EQ(text_of(20), "twenty");
  EXPECT_EQ(text_of(25), "<none>");
  EXPECT_EQ(text_of(0), "<none>");
  kelnl::nls::ReleaseMessageIndex(&index);
  EXPECT_EQ(index.entries, nullptr);

  ASSERT_TRUE(BuildMessageIndex("// nothing but a comment\n", &index));
  EXPECT_EQ(index.count, 0u);
  EXPECT_EQ(FindMessage(index, 1), nullptr);
  const std::string huge(kelnl::nls::kMaxMessageFileBytes + 1, '\n');
  EXPECT_FALSE(BuildMessageIndex(huge, &index));
  EXPECT_EQ(index.count, 0u);
}

}  // namespace
