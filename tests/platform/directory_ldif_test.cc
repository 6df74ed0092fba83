#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/allocator.h"
#include "platform/dir/directory.h"
#include "platform/dir/entry_store.h"
#include "platform/dir/ldif_parser.h"
#include "platform/dir/names.h"
#include "tests/platform/directory_test_support.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::dir {
namespace {

using testing::Key;
using testing::SampleLdif;
using testing::ValuesOf;
using Strings = std::vector<std::string>;

Strings StoredValues(const EntryStore& store, std::string_view name, std::string_view type) {
  const StoredEntry* entry = store.Find(Key(name));
  const StoredAttribute* attribute = entry == nullptr ? nullptr : FindAttribute(*entry, type);
  Strings values;
  if (attribute != nullptr) {
    for (char** value = attribute->values; *value != nullptr; ++value) values.emplace_back(*value);
  }
  return values;
}

TEST(LdifParser, ReadsFoldingBase64CommentsAndMultipleValuesInFileOrder) {
  const std::string text =
      "\xEF\xBB\xBFversion: 1\r\n"
      "# a comment that is\n"
      " folded\n"
      "\n"
      "dn: cn=A, dc=example\n"
      "objectClass: top\r\n"
      "description: first\n"
      " part and fold\n"
      "objectclass: person\n"
      "cn:: QQ==\n"
      "Description: second\n"
      "mail:\n"
      "\n\n"
      "dn:: Y249QixkYz1leGFtcGxl\n"
      "cn:   B\n";
  EntryStore store;
  std::uint32_t line = 99;
  ASSERT_EQ(ParseLdif(text, &store, &line), 0);
  EXPECT_EQ(line, 0u);
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(StoredValues(store, "cn=a,dc=example", "OBJECTCLASS"), (Strings{"top", "person"}));
  EXPECT_EQ(StoredValues(store, "cn=a,dc=example", "description"), (Strings{"firstpart and fold", "second"}));
  EXPECT_EQ(StoredValues(store, "cn=a,dc=example", "cn"), (Strings{"A"}));
  EXPECT_EQ(StoredValues(store, "cn=a,dc=example", "mail"), (Strings{""}));
  EXPECT_EQ(StoredValues(store, "cn=b,dc=example", "cn"), (Strings{"B"}));
}

TEST(LdifParser, NamesCompareIgnoringCaseAndSpacesAroundSeparators) {
  EXPECT_EQ(Key("  CN = Foo Bar ,DC=Example + O=x  "), "cn=foo bar,dc=example+o=x");
  // Spaces inside a value count; an escaped separator is part of the value.
  EXPECT_NE(Key("cn=a  b"), Key("cn=a b"));
  EXPECT_EQ(Key("cn=a\\, B ,dc=x"), "cn=a\\, b,dc=x");
  EXPECT_EQ(Key("cn=a\\ "), "cn=a\\ ");
}

TEST(LdifParser, MalformedInputNamesItsLineAndLoadsNothing) {
  struct Case {
    const char* text;
    std::uint32_t line;
  };
  const Case cases[] = {
      {"dn: cn=a\nchangetype: add\ncn: a\n", 2},     // a change record, refused as a second dn is
      {"dn: cn=a\ncn:< file:///etc/passwd\n", 2},    // a value from a URL
      {"dn: cn=a\ncn:: QQ=\n", 2},                   // bad base64
      {"dn: cn=a\ncn a\n", 2},                       // no colon
      {"cn: a\ndn: cn=a\n", 1},                      // an attribute before any dn
      {" continued\ndn: cn=a\ncn: a\n", 1},          // a continuation of nothing
      {"dn: cn=a\n\n", 1},                           // an entry without attributes
      {"dn: cn=a\ncn: a\n\ndn: CN = A\ncn: b\n", 4}, // the same name twice
      {"version: 2\n", 1},
      {"dn: cn=a\ncn;: x\n", 2},                    // an empty option
      {"dn: cn=a\nc n: x\n", 2},
  };
  kelnl::testing::TempDir folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string file = folder.Write("bad.ldif", c.text);
    const long live = allocation_hook::LiveBlocks();
    DirectorySettings settings{"ldif", file.c_str(), nullptr, nullptr, nullptr, nullptr};
    Directory* directory = reinterpret_cast<Directory*>(&settings);
    std::uint32_t line = 0;
    EXPECT_EQ(DirectoryOpenReportingLine(settings, &directory, &line), kDirectoryMalformedLdif);
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(directory, nullptr);
    EXPECT_EQ(allocation_hook::LiveBlocks(), live);
  }
}

class SampleDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    const DirectorySettings settings{"LDIF", sample_.c_str(), nullptr, nullptr, nullptr, "cn=home1,dc=example,dc=com"};
    ASSERT_EQ(DirectoryOpen(settings, &directory_), 0);
  }
  void TearDown() override { DirectoryClose(&directory_); }

  std::int32_t Read(const char* name, const char* object_class, DirectoryResult** result) {
    return DirectoryReadEntry(directory_, name, object_class, kListenerTable, 0, result, name_, sizeof name_,
                              &name_length_);
  }

  static constexpr const char* kListenerTable[] = {"objectclass", "NEXATRACELEVEL", "Nexapasswords",
                                                   "Nexanetendpointlist", ""};
  std::string sample_ = SampleLdif();
  Directory* directory_ = nullptr;
  char name_[512] = {};
  std::uint32_t name_length_ = 0;
};

TEST_F(SampleDirectory, ReadsTheAttributesAskedForUnderTheEntrysOwnName) {
  DirectoryResult* result = nullptr;
  ASSERT_EQ(Read("CN=listener , cn=HOME1,dc=example, dc=com", "nexaLISTENER", &result), 0);
  EXPECT_STREQ(name_, "cn=LISTENER,cn=home1,dc=example,dc=com");
  EXPECT_EQ(ValuesOf(directory_, result, "nexatracelevel"), (Strings{"16"}));
  EXPECT_EQ(ValuesOf(directory_, result, "Nexapasswords"), (Strings{"a", "b"}));
  EXPECT_EQ(ValuesOf(directory_, result, "Nexanetendpointlist"), (Strings{"1:cn=lsnr_ipc", "0:cn=lsnr_tcp"}));
  char** values = nullptr;
  // The entry has a log file, but it was not asked for.
  EXPECT_EQ(DirectoryGetValues(directory_, result, "Nexalogfile", &values), kDirectoryNoSuchAttribute);
  EXPECT_EQ(values, nullptr);
  EXPECT_EQ(DirectoryReleaseResult(directory_, &result), 0);
  EXPECT_EQ(result, nullptr);
}

TEST_F(SampleDirectory, MissingEntriesAndWrongClassesAreNotFound) {
  DirectoryResult* result = nullptr;
  EXPECT_EQ(Read("cn=LISTENER2,cn=home1,dc=example,dc=com", nullptr, &result), kDirectoryEntryNotFound);
  EXPECT_EQ(Read("cn=LISTENER,cn=home1,dc=example,dc=com", "Nexaprofile", &result), kDirectoryEntryNotFound);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(name_length_, 0u);
}

TEST_F(SampleDirectory, CutsTheNameToTheBufferAndReleasesHeldResultsOnClose) {
  DirectoryResult* first = nullptr;
  DirectoryResult* second = nullptr;
  std::uint32_t length = 0;
  char small[10];
  ASSERT_EQ(DirectoryReadEntry(directory_, "cn=LISTENER,cn=home1,dc=example,dc=com", nullptr, nullptr, 0, &first,
                               small, sizeof small, &length),
            0);
  EXPECT_STREQ(small, "cn=LISTEN");
  EXPECT_EQ(length, 9u);
  // A null table asks for every attribute.
  EXPECT_EQ(ValuesOf(directory_, first, "Nexalogfile"), (Strings{"listener.log"}));
  ASSERT_EQ(Read("cn=CMAN1,cn=home1,dc=example,dc=com", nullptr, &second), 0);
  DirectoryClose(&directory_);  // with two results held: the leak check of the sanitizers sees none
  EXPECT_EQ(directory_, nullptr);
}

TEST_F(SampleDirectory, NameLookupCompletesPlainServiceNames) {
  const char* const table[] = {"nexaNetDescName", "nexaNetDescString", nullptr};
  auto lookup = [&](const char* name, DirectoryResult** result) {
    return NameLookupReadEntry(directory_, name, nullptr, table, 0, result, name_, sizeof name_, &name_length_);
  };
  DirectoryResult* result = nullptr;
  ASSERT_EQ(lookup("sales", &result), 0);
  EXPECT_STREQ(name_, "cn=sales,cn=home1,dc=example,dc=com");
  EXPECT_EQ(ValuesOf(directory_, result, "nexanetdescname"), (Strings{"0:cn=sales_desc"}));
  DirectoryResult* full = nullptr;
  ASSERT_EQ(lookup("cn=hr,cn=home1,dc=example,dc=com", &full), 0);
  EXPECT_EQ(ValuesOf(directory_, full, "nexaNetDescString").size(), 1u);
  DirectoryResult* none = nullptr;
  EXPECT_EQ(lookup("payroll", &none), kDirectoryEntryNotFound);
}  // the fixture's close releases the results still held

TEST(DirectoryOpen, RefusesWhatItCannotOpen) {
  Directory* directory = nullptr;
  DirectorySettings settings{"ldif", "/nonexistent/home1.ldif", nullptr, nullptr, nullptr, nullptr};
  EXPECT_EQ(DirectoryOpen(settings, &directory), kDirectoryFileUnreadable);
  settings.backend = "x500";
  EXPECT_EQ(DirectoryOpen(settings, &directory), kDirectoryUnknownBackend);
  EXPECT_EQ(directory, nullptr);
}

TEST(DirectoryOpen, RunningOutOfMemoryLeavesNothingBehind) {
  const std::string sample = SampleLdif();
  const DirectorySettings settings{nullptr, sample.c_str(), nullptr, nullptr, nullptr, "cn=home1,dc=example,dc=com"};
  Directory* directory = nullptr;
  const long allocations = kelnl::testing::SweepExpectingCode(
      [&] { return DirectoryOpen(settings, &directory); }, kDirectoryNoMemory, [&] { DirectoryClose(&directory); },
      kelnl::testing::FailureForm::kBoth);
  EXPECT_GT(allocations, 3);

  ASSERT_EQ(DirectoryOpen(settings, &directory), 0);
  DirectoryResult* result = nullptr;
  kelnl::testing::SweepExpectingCode(
      [&] {
        return NameLookupReadEntry(directory, "sales", "nexaNetService", nullptr, 0, &result, nullptr, 0, nullptr);
      },
      kDirectoryNoMemory, [&] { DirectoryReleaseResult(directory, &result); }, kelnl::testing::FailureForm::kBoth);
  DirectoryClose(&directory);
}

}  // namespace
}  // namespace kelnl::dir
