// The pieces of file names: splitting paths, absolute names, the default directory and the
// current directory.
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

// "directory|base|extension", with '-' for an absent part.
std::string SplitPath(const std::string& path) {
  auto field = [](const char* text, std::uint32_t length) {
    return text == nullptr ? "-" : std::string(text, length);
  };
  NlOsErrorRecord record{};
  NlFileNameDesc desc;
  EXPECT_EQ(nlfninit(&record, &desc, path.data(), Length(path)), 0);
  const std::string split = field(desc.explicit_directory, desc.explicit_directory_length) + "|" +
                            field(desc.base_name, desc.base_name_length) + "|" +
                            field(desc.extension, desc.extension_length);
  nlfndstry(&desc);
  EXPECT_EQ(desc.base_name, nullptr);
  return split;
}

TEST(SplitPath, AtTheLastSeparatorAndTheLastDotAfterIt) {
  EXPECT_EQ(SplitPath(Native("a/dir/name.ext.kel")), Native("a/dir|name.ext|kel"));
  EXPECT_EQ(SplitPath(Native("a/dir.d/file")), Native("a/dir.d|file|-"));
  EXPECT_EQ(SplitPath("file."), "-|file|-") << "an empty extension is absent";
#ifdef _WIN32
  EXPECT_EQ(SplitPath("a:\\dir\\file"), "a:\\dir|file|-");
  EXPECT_EQ(SplitPath("a/b.c/d"), "-|a/b|c/d") << "only the backslash separates";
#else
  EXPECT_EQ(SplitPath("a\\b.c\\d"), "-|a\\b|c\\d") << "only the slash separates";
#endif

  const std::string path = Native("dir/brisol.kel");
  NlOsErrorRecord record{};
  NlFileNameDesc desc;
  EXPECT_EQ(nlfninit(&record, &desc, nullptr, 1), NLFN_GENERAL_FAILURE);
  ExpectRecord(record, NLFN_GENERAL_FAILURE);
  const long allocations =
      SweepExpectingCode([&] { return nlfninit(&record, &desc, path.data(), Length(path)); }, NLFN_NO_MEMORY,
                         [&] { nlfndstry(&desc); });
  EXPECT_EQ(allocations, 3);
}

TEST(AbsoluteNames, PlatformRule) {
#ifdef _WIN32
  EXPECT_EQ(Separator(), '\\');
  for (const char* name : {"C:\\x", "c:", "\\share", ".\\here"}) EXPECT_EQ(snlfnisabs(name), 1) << name;
  for (const char* name : {"x\\y", "/etc", "./here", "..\\up", ""}) EXPECT_EQ(snlfnisabs(name), 0) << name;
#else
  EXPECT_EQ(Separator(), '/');
  for (const char* name : {"/etc", "./here"}) EXPECT_EQ(snlfnisabs(name), 1) << name;
  for (const char* name : {"x/y", "C:\\x", ".\\here", "../up", ""}) EXPECT_EQ(snlfnisabs(name), 0) << name;
#endif
}

TEST(DefaultDirectory, HomeNetworkAndLowerCase) {
  ScopedEnvironment no_home("TARVO_HOME", nullptr);
  ScopedEnvironment no_network("NETWORK", nullptr);
  NlOsErrorRecord record{};
  auto build = [&](const std::string& first, const std::string& second, std::uint32_t size = 256) {
    std::string buffer(size, '#');
    std::uint32_t length = 99;
    snlfndddir(&record, first.data(), Length(first), second.data(), Length(second), buffer.data(), size,
               &length);
    return buffer.substr(0, length);
  };
  EXPECT_EQ(build("NETWORK", "ADMIN"), "") << "no product home, no default directory";

  ScopedEnvironment home("TARVO_HOME", Native("/home").c_str());
  record = NlOsErrorRecord{SNLF_ACCESS_NO_SUCH_FILE, ENOENT, 0};
  EXPECT_EQ(build("NETWORK", "ADMIN"), Native("/home/network/admin/"));
  ExpectRecord(record, SNLF_ACCESS_NO_SUCH_FILE, ENOENT);  // success leaves the record alone
  EXPECT_EQ(build("Trace", ""), Native("/home/trace/")) << "no doubled separator without a second component";
  EXPECT_EQ(build("network", "admin", 5), "");
  ExpectRecord(record, NLFN_NAME_TOO_LONG);
  {
    ScopedEnvironment slash("TARVO_HOME", Native("/home/").c_str());
    EXPECT_EQ(build("network", "admin"), Native("/home/network/admin/"));
  }
  ScopedEnvironment network("NETWORK", Native("/n").c_str());
  EXPECT_EQ(build("NetWork", "Admin"), Native("/n/admin/"));
  EXPECT_EQ(build("log", "x"), Native("/home/log/x/")) << "NETWORK stands in for the network component only";
}

TEST(Directories, MakeChangeAndReadCurrent) {
  TempDir dir;
  const std::string made = dir.File("made");
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfnmkd(&record, made.c_str()), 0);
  EXPECT_EQ(snlfnmkd(&record, made.c_str()), 1);
  ExpectRecord(record, NLFN_MAKE_DIRECTORY_FAILED, EEXIST);

  char buffer[512];
  std::uint32_t length = 0;
  {
    InDirectory restore(std::filesystem::current_path());
    EXPECT_EQ(snlfncwd(&record, made.c_str()), 0);
    EXPECT_EQ(snlfnhdir(&record, buffer, sizeof buffer, &length), 0);
    EXPECT_TRUE(std::filesystem::equivalent(std::string(buffer, length), made));
  }
  EXPECT_EQ(snlfncwd(&record, dir.File("absent").c_str()), 1);
  ExpectRecord(record, NLFN_CHANGE_DIRECTORY_FAILED, ENOENT);
  EXPECT_EQ(snlfncdir(&record, buffer, 1, &length), 1);
  ExpectRecord(record, NLFN_GENERAL_FAILURE);
  EXPECT_EQ(snlfncdir(&record, buffer, 2, &length), 1);
  ExpectRecord(record, NLFN_NO_CURRENT_DIRECTORY, ERANGE);
}

}  // namespace
}  // namespace kelnl::testing
