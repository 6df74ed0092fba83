// File names: nlfncons (the order of locations, must-exist probing, extensions, unique names and
// buffer sizes) and the pieces it is built from: split paths, absolute names, the default
// directory and the current directory.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "kelnl/nlfn.h"
#include "kelnl/snlf.h"
#include "tests/files/file_test_helpers.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

// A descriptor over owned strings; an empty string is an absent field.
struct Description {
  std::string first{}, second{}, directory{}, base{}, extension{}, variable{};
  std::uint32_t flags = 0;

  NlFileNameDesc Get() const {
    auto text = [](const std::string& s) { return s.empty() ? nullptr : s.data(); };
    return NlFileNameDesc{
        text(first),       Length(first),    text(second), Length(second),  text(directory),
        Length(directory), text(base),       Length(base), text(extension), Length(extension),
        text(variable),    Length(variable), flags};
  }
};

struct Built {
  std::int32_t code;
  std::string name;
  NlOsErrorRecord record;
};

Built Construct(const Description& description, std::uint32_t size = 512) {
  Built built{};
  std::string buffer(size + 1, '#');
  std::uint32_t length = 7;
  const NlFileNameDesc desc = description.Get();
  built.code = nlfncons(&built.record, &desc, buffer.data(), size, &length);
  built.name = buffer.substr(0, length);
  if (built.code == 0 && length < size) {
    EXPECT_EQ(buffer[length], '\0') << "the name is terminated";
  }
  return built;
}

// Every test starts with the product's variables unset and works inside its own directory.
class NameConstruction : public ::testing::Test {
 protected:
  std::string Directory(const std::string& name) const {
    std::filesystem::create_directories(dir_.path() / name);
    return dir_.File(name);
  }
  std::string Touch(const std::string& directory, const std::string& name) const {
    std::filesystem::create_directories(directory);
    const std::string file = Join(directory, name);
    std::fclose(std::fopen(file.c_str(), "w"));
    return file;
  }

  TempDir dir_;
  ScopedEnvironment home_{"TARVO_HOME", nullptr};
  ScopedEnvironment network_{"NETWORK", nullptr};
  ScopedEnvironment admin_{"VQT_ADMIN", nullptr};
};

TEST_F(NameConstruction, LocationsInOrderAndMustExistProbesEachOne) {
  const std::string home = Directory("home");
  const std::string variable_directory = Directory("env");
  const std::string explicit_directory = Directory("explicit");
  ScopedEnvironment tarvo_home("TARVO_HOME", home.c_str());
  ScopedEnvironment vqt_admin("VQT_ADMIN", variable_directory.c_str());
  Description file{.first = "NETWORK",
                   .second = "ADMIN",
                   .directory = explicit_directory,
                   .base = "brisol",
                   .extension = "kel",
                   .variable = "VQT_ADMIN"};

  EXPECT_EQ(Construct(file).name, Join(variable_directory, "brisol.kel"));
  file.variable = "KELNL_TEST_VARIABLE_NEVER_SET";
  EXPECT_EQ(Construct(file).name, Join(explicit_directory, "brisol.kel"));
  file.directory.clear();
  EXPECT_EQ(Construct(file).name, Join(home, Native("network/admin/brisol.kel")));
  file.first.clear();
  EXPECT_EQ(Construct(file).name, "brisol.kel");

  // A name that must exist is probed for in each location, the lower-case default directory too.
  file = {.first = "network",
          .second = "admin",
          .directory = explicit_directory,
          .base = "brisol",
          .extension = "kel",
          .variable = "VQT_ADMIN",
          .flags = NLFN_MUST_EXIST};

  const std::string in_home = Touch(Join(home, Native("network/admin")), "brisol.kel");
  Built built = Construct(file);
  EXPECT_EQ(built.name, in_home);
  ExpectRecord(built.record, 0);

  std::filesystem::remove(in_home);
  Touch(Directory("cwd"), "brisol.kel");
  InDirectory in_cwd(dir_.path() / "cwd");
  built = Construct(file);
  EXPECT_EQ(built.code, NLFN_NOT_FOUND) << "the current directory is no named location";
  ExpectRecord(built.record, NLFN_NOT_FOUND);
  EXPECT_EQ(Construct({.base = "brisol", .extension = "kel", .flags = NLFN_MUST_EXIST}).name, "brisol.kel");
}

TEST_F(NameConstruction, AbsoluteBaseNameIsTakenAsItStands) {
  ScopedEnvironment vqt_admin("VQT_ADMIN", Directory("env").c_str());
  const std::string absolute = dir_.File("brisol.kel");
  const Description file{.first = "network",
                         .second = "admin",
                         .base = absolute,
                         .extension = "kel",
                         .variable = "VQT_ADMIN",
                         .flags = NLFN_MUST_EXIST};
  // No probe, no extension added; terminated where there is room, and not in a buffer of exactly
  // the name's size.
  EXPECT_EQ(Construct(file).name, absolute);
  std::string buffer(absolute.size() + 1, '#');
  std::uint32_t length = 0;
  NlOsErrorRecord record{};
  const NlFileNameDesc desc = file.Get();
  EXPECT_EQ(nlfncons(&record, &desc, buffer.data(), Length(absolute), &length), 0);
  EXPECT_EQ(buffer, absolute + "#");
  EXPECT_EQ(nlfncons(&record, &desc, buffer.data(), Length(absolute) - 1, &length), NLFN_PART_TOO_LONG);
  ExpectRecord(record, NLFN_PART_TOO_LONG);
  EXPECT_EQ(length, 0u);
}

TEST_F(NameConstruction, ExtensionIsNeverDoubled) {
  const std::string d = Directory("d");
  for (const auto& [base, name] : {std::pair{"brisol.kel", "brisol.kel"}, {"brisol.KEL", "brisol.kel"},
                                   {"report.txt", "report.txt.kel"}, {"kel", "kel.kel"}}) {
    EXPECT_EQ(Construct({.directory = d, .base = base, .extension = "kel"}).name, Join(d, name)) << base;
  }
  EXPECT_EQ(Construct({.directory = d + Separator(), .base = "brisol"}).name, Join(d, "brisol"))
      << "one separator";
}

TEST_F(NameConstruction, UniqueNameSkipsNamesInUse) {
  const std::string d = Directory("trace");
  const auto raw_thread = static_cast<std::int32_t>(kelnl::os::ThreadId());
  const std::string thread = std::to_string(raw_thread < 0 || raw_thread > 99999 ? 0 : raw_thread);
  const Description file{.directory = d, .base = "trc", .extension = "trc", .flags = NLFN_UNIQUE_NAME};

  EXPECT_EQ(Construct(file).name, Join(d, "trc_" + thread + ".trc"));
  Touch(d, "trc_" + thread + ".trc");
  Touch(d, "trc_" + thread + "_1.trc");
  EXPECT_EQ(Construct(file).name, Join(d, "trc_" + thread + "_2.trc"));
  char hex[8];
  for (int attempt = 2; attempt < 256; ++attempt) {
    std::snprintf(hex, sizeof hex, "%x", attempt);
    Touch(d, "trc_" + thread + "_" + hex + ".trc");
  }
  EXPECT_EQ(Construct(file).name, Join(d, "trc_" + thread + "_ff.trc")) << "the last attempt is taken anyway";
}

TEST_F(NameConstruction, BuffersOneShortOfTheName) {
  const std::string d = Directory("d");
  const std::string expected = Join(d, "brisol.kel");
  const Description file{.directory = d, .base = "brisol", .extension = "kel"};
  EXPECT_EQ(Construct(file, Length(expected) + 1).name, expected);
  EXPECT_EQ(Construct(file, Length(expected)).code, NLFN_NAME_TOO_LONG) << "the terminator must fit";
  EXPECT_EQ(Construct(file, Length(d)).code, NLFN_PART_TOO_LONG) << "directory as long as the buffer";

  ScopedEnvironment vqt_admin("VQT_ADMIN", d.c_str());
  EXPECT_EQ(Construct({.base = "brisol", .variable = "VQT_ADMIN"}, Length(d)).code, NLFN_PART_TOO_LONG);

  Description unique = file;
  unique.flags = NLFN_UNIQUE_NAME;
  const std::string unique_name = Construct(unique).name;
  EXPECT_EQ(Construct(unique, Length(unique_name) + 1).name, unique_name);
  EXPECT_EQ(Construct(unique, Length(unique_name)).code, NLFN_NAME_TOO_LONG);
}

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
