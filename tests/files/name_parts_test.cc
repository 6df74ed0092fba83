// The pieces of file names: splitting paths into descriptors, absolute names, the default
// directory, environment values and the current directory.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "kelnl/nlfn.h"
#include "kelnl/snlf.h"
#include "tests/files/file_test_helpers.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

std::string Field(const char* text, std::uint32_t length) {
  return text == nullptr ? "<absent>" : std::string(text, length);
}

struct Split {
  std::string directory, base, extension;
};

Split SplitPath(const std::string& path) {
  NlOsErrorRecord record{};
  NlFileNameDesc desc;
  EXPECT_EQ(nlfninit(&record, &desc, path.data(), Length(path)), 0);
  Split split{Field(desc.explicit_directory, desc.explicit_directory_length),
              Field(desc.base_name, desc.base_name_length), Field(desc.extension, desc.extension_length)};
  EXPECT_EQ(desc.first_component, nullptr);
  EXPECT_EQ(desc.flags, 0u);
  nlfndstry(&desc);
  EXPECT_EQ(desc.base_name, nullptr);
  EXPECT_EQ(desc.base_name_length, 0u);
  return split;
}

TEST(SplitPath, DirectoryBaseAndExtension) {
  const Split full = SplitPath(Native("a/dir/name.ext.kel"));
  EXPECT_EQ(full.directory, Native("a/dir"));
  EXPECT_EQ(full.base, "name.ext");
  EXPECT_EQ(full.extension, "kel");
  const Split no_extension = SplitPath(Native("a/dir.d/file"));
  EXPECT_EQ(no_extension.base, "file") << "a dot before the last separator is no extension";
  EXPECT_EQ(no_extension.extension, "<absent>");
  const Split bare = SplitPath("file.");
  EXPECT_EQ(bare.directory, "<absent>");
  EXPECT_EQ(bare.base, "file");
  EXPECT_EQ(bare.extension, "<absent>") << "an empty extension is absent";
#ifdef _WIN32
  const Split drive = SplitPath("a:\\dir\\file");
  EXPECT_EQ(drive.directory, "a:\\dir");
  EXPECT_EQ(drive.base, "file");
  EXPECT_EQ(SplitPath("a/b.c/d").base, "a/b") << "only the backslash separates";
#else
  EXPECT_EQ(SplitPath("a\\b.c\\d").base, "a\\b") << "only the slash separates";
#endif
}

TEST(SplitPath, RebuildsTheSamePathAndFailsCleanly) {
  TempDir dir;
  const std::string path = dir.File("brisol.kel");
  NlOsErrorRecord record{};
  NlFileNameDesc desc;
  ASSERT_EQ(nlfninit(&record, &desc, path.data(), Length(path)), 0);
  char buffer[512];
  std::uint32_t length = 0;
  EXPECT_EQ(nlfncons(&record, &desc, buffer, sizeof buffer, &length), 0);
  EXPECT_EQ(std::string(buffer, length), path);
  nlfndstry(&desc);

  EXPECT_EQ(nlfninit(&record, nullptr, path.data(), 1), NLFN_GENERAL_FAILURE);
  EXPECT_EQ(nlfninit(&record, &desc, nullptr, 1), NLFN_GENERAL_FAILURE);
  ExpectRecord(record, NLFN_GENERAL_FAILURE);
  const long allocations = SweepExpectingCode(
      [&] { return nlfninit(&record, &desc, path.data(), Length(path)); }, NLFN_NO_MEMORY,
      [&] { nlfndstry(&desc); });
  EXPECT_EQ(allocations, 3);
}

TEST(AbsoluteNames, PlatformRule) {
#ifdef _WIN32
  for (const char* name : {"C:\\x", "c:", "\\share", ".\\here"}) EXPECT_EQ(snlfnisabs(name), 1) << name;
  for (const char* name : {"x\\y", "/etc", "./here", "..\\up", ""}) EXPECT_EQ(snlfnisabs(name), 0) << name;
#else
  for (const char* name : {"/etc", "./here"}) EXPECT_EQ(snlfnisabs(name), 1) << name;
  for (const char* name : {"x/y", "C:\\x", ".\\here", "../up", ""}) EXPECT_EQ(snlfnisabs(name), 0) << name;
#endif
  EXPECT_EQ(snlfnisabs(nullptr), 0);
}

class DefaultDirectory : public ::testing::Test {
 protected:
  std::string Build(const std::string& first, const std::string& second, std::uint32_t size = 256) {
    std::string buffer(size, '#');
    std::uint32_t length = 99;
    code_ = snlfndddir(&record_, first.data(), Length(first), second.data(), Length(second), buffer.data(), size,
                       &length);
    return buffer.substr(0, length);
  }

  NlOsErrorRecord record_{};
  std::int32_t code_ = 0;
  ScopedEnvironment home_{"TARVO_HOME", nullptr};
  ScopedEnvironment network_{"NETWORK", nullptr};
};

TEST_F(DefaultDirectory, HomeNetworkAndLowerCase) {
  EXPECT_EQ(Build("NETWORK", "ADMIN"), "") << "no product home, no default directory";
  EXPECT_EQ(code_, 0);

  ScopedEnvironment home("TARVO_HOME", Native("/home").c_str());
  EXPECT_EQ(Build("NETWORK", "ADMIN"), Native("/home/network/admin/"));
  EXPECT_EQ(Build("Trace", ""), Native("/home/trace/")) << "no doubled separator without a second component";
  {
    ScopedEnvironment slash("TARVO_HOME", Native("/home/").c_str());
    EXPECT_EQ(Build("network", "admin"), Native("/home/network/admin/"));
  }
  ScopedEnvironment network("NETWORK", Native("/n").c_str());
  EXPECT_EQ(Build("NetWork", "Admin"), Native("/n/admin/"));
  EXPECT_EQ(Build("log", "x"), Native("/home/log/x/")) << "NETWORK stands in for the network component only";
}

TEST_F(DefaultDirectory, TooSmallBufferAndRecordRule) {
  ScopedEnvironment home("TARVO_HOME", Native("/home").c_str());
  const std::string expected = Native("/home/network/admin/");
  record_ = NlOsErrorRecord{SNLF_ACCESS_NO_SUCH_FILE, ENOENT, 0};
  EXPECT_EQ(Build("network", "admin", Length(expected) + 1), expected);
  ExpectRecord(record_, SNLF_ACCESS_NO_SUCH_FILE, ENOENT);  // success leaves the record alone
  EXPECT_EQ(Build("network", "admin", Length(expected)), "");
  EXPECT_EQ(code_, NLFN_NAME_TOO_LONG);
  ExpectRecord(record_, NLFN_NAME_TOO_LONG);
  EXPECT_EQ(Build("network", "admin", 3), "");
  EXPECT_EQ(code_, NLFN_NAME_TOO_LONG) << "the home itself does not fit";
}

TEST(EnvironmentValue, ValueFitsWithItsTerminator) {
  ScopedEnvironment variable("KELNL_TEST_DIRECTORY", "abcd");
  NlOsErrorRecord record{};
  char buffer[8];
  std::uint32_t length = 0;
  EXPECT_EQ(snlfngenv(&record, "KELNL_TEST_DIRECTORY", 20, buffer, 5, &length), 0);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(snlfngenv(&record, "KELNL_TEST_DIRECTORY", 20, buffer, 4, &length), NLFN_PART_TOO_LONG);
  EXPECT_EQ(snlfngenv(&record, "KELNL_TEST_UNSET", 16, buffer, 8, &length), NLFN_GENERAL_FAILURE);
  ExpectRecord(record, NLFN_GENERAL_FAILURE);
  EXPECT_EQ(snlfngenv(&record, "KELNL_TEST_DIRECTORY", 20, nullptr, 8, &length), NLFN_NO_OUTPUT_BUFFER);
}

TEST(Directories, MakeChangeAndReadCurrent) {
  TempDir dir;
  const std::string made = dir.File("made");
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfnmkd(&record, made.c_str()), 0);
  EXPECT_EQ(snlfnmkd(&record, made.c_str()), 1);
  ExpectRecord(record, NLFN_MAKE_DIRECTORY_FAILED, EEXIST);

  const auto previous = std::filesystem::current_path();
  EXPECT_EQ(snlfncwd(&record, made.c_str()), 0);
  char buffer[512];
  std::uint32_t length = 0;
  EXPECT_EQ(snlfncdir(&record, buffer, sizeof buffer, &length), 0);
  EXPECT_TRUE(std::filesystem::equivalent(std::string(buffer, length), made));
  EXPECT_EQ(snlfnhdir(&record, buffer, sizeof buffer, &length), 0);
  EXPECT_TRUE(std::filesystem::equivalent(std::string(buffer, length), made));
  std::filesystem::current_path(previous);

  EXPECT_EQ(snlfncwd(&record, dir.File("absent").c_str()), 1);
  ExpectRecord(record, NLFN_CHANGE_DIRECTORY_FAILED, ENOENT);
  EXPECT_EQ(snlfncdir(&record, buffer, 1, &length), 1);
  ExpectRecord(record, NLFN_GENERAL_FAILURE);
  EXPECT_EQ(snlfncdir(&record, buffer, 2, &length), 1);
  ExpectRecord(record, NLFN_NO_CURRENT_DIRECTORY, ERANGE);
  EXPECT_EQ(length, 0u);

  record = NlOsErrorRecord{SNLF_ACCESS_DENIED, 0, 0};
  length = 5;
  EXPECT_EQ(snlfnexed(&record, buffer, sizeof buffer, &length), 0);
  EXPECT_EQ(length, 0u);
  ExpectRecord(record, SNLF_ACCESS_DENIED);  // never touched
}

}  // namespace
}  // namespace kelnl::testing
