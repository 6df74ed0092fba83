// Message files: their lines read and indexed; every named message number has a text in its
// file, and the texts carry only conversions their callers can fill.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "kelnl/nlem.h"
#include "platform/nls/message_index.h"
#include "platform/nls/nls.h"
#include "tests/support/test_files.h"

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
  EXPECT_EQ(ParseMessageLine("  \t\r").kind, LineKind::kBlank);
  EXPECT_EQ(ParseMessageLine("  // 00001, 00000, \"commented out\"").kind, LineKind::kComment);
  for (std::string_view line : {"/ 1, 0, \"x\"", "1 0 \"no commas\"", "1, \"one number\"", "1, 0, no quotes",
                                "1, 0, \"unclosed", "1, 0, \"text\" trailing", "1234567890, 0, \"too long\""}) {
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
  auto text_of = [&](std::uint32_t number) {
    const auto* entry = FindMessage(index, number);
    return entry == nullptr ? std::string("<none>") : text.substr(entry->offset, entry->length);
  };
  EXPECT_EQ(text_of(30), "thirty");
  EXPECT_EQ(text_of(10), "ten");
  EXPECT_EQ(text_of(20), "twenty");
  EXPECT_EQ(text_of(25), "<none>");
  kelnl::nls::ReleaseMessageIndex(&index);

  ASSERT_TRUE(BuildMessageIndex("// nothing but a comment\n", &index));
  EXPECT_EQ(index.count, 0u);
  EXPECT_EQ(FindMessage(index, 1), nullptr);
  const std::string huge(kelnl::nls::kMaxMessageFileBytes + 1, '\n');
  EXPECT_FALSE(BuildMessageIndex(huge, &index));
  EXPECT_EQ(index.count, 0u);
}


std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(KELNL_TEST_SOURCE_DIR) + "/" + relative, std::ios::binary);
  EXPECT_TRUE(in) << relative;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The "NAME = number" constants of a header.
std::map<std::string, std::uint32_t> Constants(const std::string& header, const std::string& prefix) {
  std::map<std::string, std::uint32_t> constants;
  const std::string text = ReadSource("include/kelnl/" + header);
  const std::regex constant("(" + prefix + "[A-Z0-9_]+) = ([0-9]+)");
  for (std::sregex_iterator it(text.begin(), text.end(), constant), end; it != end; ++it) {
    constants[(*it)[1]] = static_cast<std::uint32_t>(std::stoul((*it)[2]));
  }
  EXPECT_FALSE(constants.empty()) << header;
  return constants;
}

// The texts of a shipped message file, by number.
std::map<std::uint32_t, std::string> Texts(const std::string& file) {
  const std::string text = ReadSource("mesg/" + file);
  MessageIndex index{};
  EXPECT_TRUE(BuildMessageIndex(text, &index));
  EXPECT_EQ(index.malformed_lines, 0u) << file;
  std::map<std::uint32_t, std::string> texts;
  for (std::uint32_t i = 0; i < index.count; ++i) {
    texts[index.entries[i].number] = text.substr(index.entries[i].offset, index.entries[i].length);
  }
  kelnl::nls::ReleaseMessageIndex(&index);
  return texts;
}

// The conversion letters of a text ("%s to %s" gives "ss"); a percent sign before a blank is
// not a conversion.
std::string Conversions(const std::string& text) {
  std::string letters;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && text[i + 1] != ' ') letters += text[++i];
  }
  return letters;
}

// Every message file opens: the four of the library and the trace's, registered as a trace does.
void ExpectEveryMessageFileOpens() {
  NlMessageFacility* facility = nullptr;
  ASSERT_EQ(nleminz(nullptr, &facility, 1, nullptr, 0, nullptr), 0);
  ASSERT_EQ(nlemfireg(nullptr, facility, 37, "NETWORK", 7, "NLT", 3), 0);
  for (int emfi : {1, 3, 22, 37}) EXPECT_EQ(nlemomf(facility, nlemfsearch(facility, emfi)), 0) << "emfi " << emfi;
  char text[128];
  EXPECT_EQ(nlemgmz(nullptr, facility, 1, 608, 2, 0, 0, 1, text, sizeof text, nullptr), 0);
  EXPECT_STREQ(text, "NL-00608: invalid product name size");
  nlemdestroy(nullptr, &facility);
}

struct FacilityFiles {
  const char* header;
  std::vector<std::string> prefixes;
  const char* file;
};

TEST(MessageTexts, EveryNamedNumberHasAText) {
  const FacilityFiles facilities[] = {
      {"nlerrors.h", {"NLE_", "NLM_"}, "nlus.msg"},
      {"snlerrors.h", {"SNLE_"}, "snlus.msg"},
      {"kelerrors.h", {"KELE_"}, "kelus.msg"},
      {"nltrmsg.h", {"NLTR_"}, "nltus.msg"},
  };
  for (const FacilityFiles& facility : facilities) {
    const auto texts = Texts(facility.file);
    for (const std::string& prefix : facility.prefixes) {
      for (const auto& [name, number] : Constants(facility.header, prefix)) {
        const auto text = texts.find(number);
        EXPECT_TRUE(text != texts.end() && !text->second.empty())
            << name << " (" << number << ") has no text in " << facility.file;
      }
    }
  }
}

// Arguments are texts or numbers: substitution shows a missing argument as nothing and the trace
// checks a record's conversions against its text, so only an unknown conversion can do harm.
TEST(MessageTexts, ConversionsAreTextsOrNumbers) {
  for (const char* file : {"nlus.msg", "nltus.msg", "snlus.msg", "kelus.msg"}) {
    for (const auto& [number, text] : Texts(file)) {
      EXPECT_EQ(Conversions(text).find_first_not_of("sd"), std::string::npos) << file << " " << number << ": " << text;
    }
  }
}

TEST(MessageTexts, FoundInTheBuildTreeWithoutAHome) {
  kelnl::testing::ScopedEnvironment no_home("TARVO_HOME", nullptr);
  ExpectEveryMessageFileOpens();
}

// Run by the message_files_install test with TARVO_HOME naming an installed home.
TEST(InstalledMessages, FoundThroughTarvoHome) {
  const char* expected_home = std::getenv("KELNL_INSTALLED_HOME_UNDER_TEST");
  if (expected_home == nullptr) GTEST_SKIP() << "only run by the install check";
  const char* home = std::getenv("TARVO_HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_STREQ(home, expected_home);
  ExpectEveryMessageFileOpens();
}

}  // namespace
