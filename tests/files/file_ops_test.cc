// Files by name: delete, rename, temporary files, access and modification-time probes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "files/temporary_counter.h"
#include "kelnl/snlf.h"
#include "tests/files/file_test_helpers.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

TEST(DeleteAndRename, RenameReplacesATargetAndFailuresAndOverlongNamesAreReported) {
  TempDir dir;
  const std::string from = dir.Write("new.kel", "new");
  const std::string to = dir.Write("old.kel", "old");
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfrnm(&record, from.data(), Length(from), to.data(), Length(to)), 0);
  ExpectRecord(record, 0);
  EXPECT_EQ(dir.Read("old.kel"), "new");
  EXPECT_FALSE(std::filesystem::exists(from));

  const std::string file = dir.Write("gone.txt", "x");
  const std::string too_long(256, 'x');
  EXPECT_EQ(snlfdel(&record, file.data(), Length(file)), 0);
  EXPECT_EQ(snlfdel(&record, file.data(), Length(file)), SNLF_DEL_FAILED);
  ExpectRecord(record, SNLF_DEL_FAILED, ENOENT);
  // ENOENT and the Windows ERROR_FILE_NOT_FOUND are both 2.
  const std::string target = dir.File("target");
  EXPECT_EQ(snlfrnm(&record, file.data(), Length(file), target.data(), Length(target)), SNLF_RNM_MOVE_FAILED);
  ExpectRecord(record, SNLF_RNM_MOVE_FAILED, 2);

  EXPECT_EQ(snlfdel(&record, too_long.data(), 256), SNLF_DEL_NAME_TOO_LONG);
  ExpectRecord(record, SNLF_DEL_NAME_TOO_LONG, 0, 256);
  EXPECT_EQ(snlfrnm(&record, too_long.data(), 256, file.data(), Length(file)), SNLF_RNM_OLD_NAME_TOO_LONG);
  EXPECT_EQ(snlfrnm(&record, file.data(), Length(file), too_long.data(), 256), SNLF_RNM_NEW_NAME_TOO_LONG);
  ExpectRecord(record, SNLF_RNM_NEW_NAME_TOO_LONG, 0, 256);
}

TEST(TemporaryFile, NamedAfterDirectoryProcessAndCounter) {
  TempDir dir;
  const std::string pattern = dir.File("ckp.tmp");
  const std::string prefix = Join(dir.path().string(), std::to_string(kelnl::os::ProcessId())) + ".";
  NlOsErrorRecord record{};
  char name[300];
  std::uint32_t length = 0;
  FILE* handle = nullptr;
  ASSERT_EQ(snlftmp(&record, pattern.data(), Length(pattern), name, sizeof name, &length, &handle), 0);
  const std::string first(name, length);
  ASSERT_EQ(first.substr(0, prefix.size()), prefix);
  EXPECT_TRUE(std::filesystem::exists(first));
  EXPECT_EQ(snlfchd(&record, handle), 0);

  ASSERT_EQ(snlftmp(&record, pattern.data(), Length(pattern), name, sizeof name, &length, &handle), 0);
  const unsigned counter = static_cast<unsigned>(std::stoul(first.substr(prefix.size())));
  EXPECT_EQ(std::string(name, length), prefix + std::to_string((counter + 1) % 999));
  EXPECT_EQ(snlfchd(&record, handle), 0);
  EXPECT_EQ(snlftmp(&record, pattern.data(), Length(pattern), name, 21, &length, &handle),
            SNLF_TMP_BUFFER_TOO_SMALL);
}

// A full cycle from wherever the counter stands passes 998 once.
TEST(TemporaryFile, CounterRunsFromZeroTo998AndWraps) {
  std::uint32_t previous = kelnl::files::TakeTemporaryNumber();
  for (int i = 0; i < 999; ++i) {
    const std::uint32_t next = kelnl::files::TakeTemporaryNumber();
    EXPECT_EQ(next, previous == 998 ? 0u : previous + 1);
    previous = next;
  }
}

TEST(Probes, ExistenceAndModificationTime) {
  TempDir dir;
  const std::string file = dir.Write("here.kel", "x");
  const auto now = static_cast<std::uint64_t>(std::time(nullptr));
  const std::string missing = dir.File("missing.kel");
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfacc(&record, 0, file.data(), Length(file)), 0);
  EXPECT_EQ(snlfacc(&record, 0, missing.data(), Length(missing)), SNLF_ACCESS_NO_SUCH_FILE);
  ExpectRecord(record, SNLF_ACCESS_NO_SUCH_FILE, ENOENT);
  SweepAllocationFailures([&] {
    const std::int32_t result = snlfacc(&record, 0, file.data(), Length(file));
    EXPECT_EQ(result, AllocationFailed() ? 1 : 0);
    EXPECT_EQ(record.operation, AllocationFailed() ? std::uint32_t{SNLF_ACCESS_NO_MEMORY} : 0u);
  });

  std::uint32_t time = 1;
  ASSERT_EQ(snlflch(&record, file.c_str(), nullptr, &time), 0);
  const auto difference = static_cast<std::int32_t>(static_cast<std::uint32_t>(now * 100) - time);
  EXPECT_LE(std::abs(difference), 500) << "centiseconds, written within the last few seconds";
  EXPECT_EQ(snlflch(&record, missing.c_str(), nullptr, &time), SNLF_STAT_FAILED);
  ExpectRecord(record, SNLF_STAT_FAILED, ENOENT);
  EXPECT_EQ(time, 0u);
}

}  // namespace
}  // namespace kelnl::testing
