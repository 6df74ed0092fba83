// Files by name: delete, rename, temporary files, access and modification-time probes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>

#include "files/temporary_counter.h"
#include "kelnl/snlf.h"
#include "tests/files/file_test_helpers.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

// Both the C runtime's ENOENT and the Windows ERROR_FILE_NOT_FOUND are 2.
constexpr std::uint32_t kNoSuchFile = 2;

TEST(Delete, RemovesRefusesLongNamesAndReportsFailure) {
  TempDir dir;
  const std::string file = dir.Write("gone.txt", "x");
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfdel(&record, file.data(), Length(file)), 0);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(snlfdel(&record, file.data(), Length(file)), SNLF_DEL_FAILED);
  ExpectRecord(record, SNLF_DEL_FAILED, ENOENT);
  const std::string too_long(256, 'x');
  EXPECT_EQ(snlfdel(&record, too_long.data(), 256), SNLF_DEL_NAME_TOO_LONG);
  ExpectRecord(record, SNLF_DEL_NAME_TOO_LONG, 0, 256);
}

TEST(Rename, ReplacesAnExistingTarget) {
  TempDir dir;
  const std::string from = dir.Write("new.kel", "new");
  const std::string to = dir.Write("old.kel", "old");
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfrnm(&record, from.data(), Length(from), to.data(), Length(to)), 0);
  ExpectRecord(record, 0);
  EXPECT_EQ(dir.Read("old.kel"), "new");
  EXPECT_FALSE(std::filesystem::exists(from));

  const std::string fresh = dir.File("fresh.kel");
  EXPECT_EQ(snlfrnm(&record, to.data(), Length(to), fresh.data(), Length(fresh)), 0);
  EXPECT_EQ(dir.Read("fresh.kel"), "new");
}

TEST(Rename, Failures) {
  TempDir dir;
  const std::string missing = dir.File("missing");
  const std::string target = dir.File("target");
  const std::string too_long(256, 'x');
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfrnm(&record, missing.data(), Length(missing), target.data(), Length(target)), SNLF_RNM_MOVE_FAILED);
  ExpectRecord(record, SNLF_RNM_MOVE_FAILED, kNoSuchFile);
  EXPECT_EQ(snlfrnm(&record, too_long.data(), 256, target.data(), Length(target)), SNLF_RNM_OLD_NAME_TOO_LONG);
  ExpectRecord(record, SNLF_RNM_OLD_NAME_TOO_LONG, 0, 256);
  EXPECT_EQ(snlfrnm(&record, missing.data(), Length(missing), too_long.data(), 256), SNLF_RNM_NEW_NAME_TOO_LONG);
  ExpectRecord(record, SNLF_RNM_NEW_NAME_TOO_LONG, 0, 256);
}

TEST(TemporaryFile, NamedAfterDirectoryProcessAndCounter) {
  TempDir dir;
  const std::string template_path = dir.File("ckp.tmp");
  const std::string prefix = Join(dir.path().string(), std::to_string(kelnl::os::ProcessId())) + ".";
  NlOsErrorRecord record{};
  char name[300];
  std::uint32_t length = 0;
  FILE* handle = nullptr;
  ASSERT_EQ(snlftmp(&record, template_path.data(), Length(template_path), name, sizeof name, &length, &handle), 0);
  const std::string first(name, length);
  ASSERT_EQ(first.substr(0, prefix.size()), prefix);
  EXPECT_TRUE(std::filesystem::exists(first));
  EXPECT_EQ(snlfwrt(&record, handle, "x", 1), 0);
  EXPECT_EQ(snlfchd(&record, handle), 0);

  ASSERT_EQ(snlftmp(&record, template_path.data(), Length(template_path), name, sizeof name, &length, &handle), 0);
  const unsigned counter = static_cast<unsigned>(std::stoul(first.substr(prefix.size())));
  EXPECT_EQ(std::string(name, length), prefix + std::to_string((counter + 1) % 999));
  EXPECT_EQ(snlfchd(&record, handle), 0);

  EXPECT_EQ(snlftmp(&record, template_path.data(), Length(template_path), name, 21, &length, &handle),
            SNLF_TMP_BUFFER_TOO_SMALL);
  ExpectRecord(record, SNLF_TMP_BUFFER_TOO_SMALL);
  const std::string no_directory = dir.File("absent") + Separator() + "ckp.tmp";
  EXPECT_EQ(snlftmp(&record, no_directory.data(), Length(no_directory), name, sizeof name, &length, &handle),
            SNLF_TMP_OPEN_FAILED);
  ExpectRecord(record, SNLF_TMP_OPEN_FAILED, ENOENT);
}

TEST(TemporaryFile, CounterRunsFromZeroTo998AndWraps) {
  std::set<std::uint32_t> seen;
  const std::uint32_t start = kelnl::files::TakeTemporaryNumber();
  std::uint32_t previous = start;
  for (int i = 1; i < 999; ++i) {
    const std::uint32_t next = kelnl::files::TakeTemporaryNumber();
    EXPECT_EQ(next, previous == 998 ? 0u : previous + 1);
    seen.insert(next);
    previous = next;
  }
  seen.insert(start);
  EXPECT_EQ(seen.size(), 999u);
  EXPECT_EQ(*seen.rbegin(), 998u);
  EXPECT_EQ(kelnl::files::TakeTemporaryNumber(), start) << "a full cycle comes back to the start";
}

TEST(Access, ExistenceProbe) {
  TempDir dir;
  const std::string file = dir.Write("here.kel", "x");
  const std::string missing = dir.File("missing.kel");
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfacc(&record, 0, file.data(), Length(file)), 0);
  EXPECT_EQ(snlfacc(&record, 0, missing.data(), Length(missing)), SNLF_ACCESS_NO_SUCH_FILE);
  ExpectRecord(record, SNLF_ACCESS_NO_SUCH_FILE, ENOENT);

  const long allocations = SweepAllocationFailures([&] {
    const std::int32_t result = snlfacc(&record, 0, file.data(), Length(file));
    EXPECT_EQ(result, AllocationFailed() ? 1 : 0);
    EXPECT_EQ(record.operation, AllocationFailed() ? std::uint32_t{SNLF_ACCESS_NO_MEMORY} : 0u);
  });
  EXPECT_EQ(allocations, 1);
}

TEST(ModificationTime, CentisecondsInThirtyTwoBits) {
  TempDir dir;
  const std::string file = dir.Write("stamp", "x");
  const auto now = static_cast<std::uint64_t>(std::time(nullptr));
  NlOsErrorRecord record{};
  std::uint32_t time = 0;
  ASSERT_EQ(snlflch(&record, file.c_str(), nullptr, &time), 0);
  const std::uint32_t expected = static_cast<std::uint32_t>(now * 100);
  const auto difference = static_cast<std::int32_t>(expected - time);
  EXPECT_LE(std::abs(difference), 500) << "written within the last few seconds";

  time = 1;
  const std::string missing = dir.File("missing");
  EXPECT_EQ(snlflch(&record, missing.c_str(), nullptr, &time), SNLF_STAT_FAILED);
  ExpectRecord(record, SNLF_STAT_FAILED, ENOENT);
  EXPECT_EQ(time, 0u);
}

}  // namespace
}  // namespace kelnl::testing
