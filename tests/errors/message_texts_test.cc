// Every named message number has a text in its message file, and the texts carry exactly the
// conversions their callers fill.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "kelnl/nlem.h"
#include "platform/nls/message_index.h"
#include "platform/nls/nls.h"
#include "tests/support/test_files.h"

namespace {

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
  kelnl::nls::MessageIndex index{};
  EXPECT_TRUE(kelnl::nls::BuildMessageIndex(text, &index));
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

TEST(MessageTexts, ConversionsMatchWhatCallersPass) {
  // Every text not listed here must have no conversion at all: its callers pass no argument.
  const std::map<std::uint32_t, std::string> library = {
      {51, "ss"},  {279, "s"}, {280, "s"}, {459, "s"}, {460, "s"}, {461, "s"},  {462, "s"},
      {509, "s"},  {510, "d"}, {511, "s"}, {512, "s"}, {513, "s"}, {850, "s"},  {851, "s"},
      {853, "sss"}, {854, "s"}, {857, "sss"}, {858, "ss"}, {860, "s"}, {864, "s"}, {865, "s"}};
  const std::map<std::uint32_t, std::string> trace = {
      {1012, "d"}, {1013, "s"}, {1015, "s"}, {1016, "s"}, {1017, "s"}, {1018, "s"}, {1025, "ss"}, {1026, "s"},
      {18301, "s"}, {18302, "d"}, {18306, "ss"}, {18310, "ss"}, {18318, "s"}, {18323, "s"},
      {18324, "s"}, {18329, "s"}, {18332, "s"}};
  const std::pair<const char*, const std::map<std::uint32_t, std::string>*> files[] = {
      {"nlus.msg", &library}, {"nltus.msg", &trace}, {"snlus.msg", nullptr}, {"kelus.msg", nullptr}};
  for (const auto& [file, expected] : files) {
    for (const auto& [number, text] : Texts(file)) {
      std::string wanted;
      if (expected != nullptr && expected->count(number) != 0) wanted = expected->at(number);
      EXPECT_EQ(Conversions(text), wanted) << file << " message " << number << ": " << text;
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
