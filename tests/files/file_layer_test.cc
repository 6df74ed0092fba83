// The file layer: open modes, standard streams, reading to the end, writing, positioning and
// record rules; files by name: delete, rename, temporary files, access and time probes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "files/open_mode.h"
#include "files/temporary_counter.h"
#include "kelnl/snlf.h"
#include "tests/files/file_test_helpers.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

FILE* Open(const std::string& name, std::uint32_t mode) {
  NlOsErrorRecord record{};
  FILE* handle = nullptr;
  EXPECT_EQ(snlfohd(&record, mode, name.data(), Length(name), &handle), 0) << name;
  return handle;
}

TEST(OpenMode, BitsMapToRuntimeModes) {
  constexpr std::uint32_t r = SNLF_MODE_READ, w = SNLF_MODE_WRITE, a = SNLF_MODE_APPEND, c = SNLF_MODE_CREATE;
  const std::pair<std::uint32_t, const char*> table[] = {
      {r, "rt"},     {r | w, "r+t"}, {r | w | c, "w+t"}, {r | w | a, "a+t"},           {w, "wt"},
      {w | c, "wt"}, {w | a, "at"},  {w | a | c, "at"},  {r | SNLF_MODE_BINARY, "rb"}, {a | c, "refused"}};
  for (const auto& [bits, expected] : table) {
    char mode[kelnl::files::kOpenModeCapacity];
    EXPECT_EQ(kelnl::files::BuildOpenMode(bits, mode) ? std::string(mode) : "refused", expected) << bits;
  }
}

TEST(OpenMode, RefusalsAndFailures) {
  TempDir dir;
  NlOsErrorRecord record{};
  FILE* handle = stdin;
  const std::string missing = dir.File("missing.txt");
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_READ, missing.data(), Length(missing), &handle), SNLF_OPEN_FAILED);
  ExpectRecord(record, SNLF_OPEN_FAILED, ENOENT);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_APPEND, missing.data(), Length(missing), &handle), SNLF_OPEN_BAD_MODE);
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_READ, missing.data(), Length(missing), nullptr),
            SNLF_OPEN_NO_HANDLE_SLOT);
  const std::string too_long(257, 'x');
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_READ, too_long.data(), 257, &handle), SNLF_OPEN_NAME_TOO_LONG);
  ExpectRecord(record, SNLF_OPEN_NAME_TOO_LONG, 0, 256);
  EXPECT_EQ(snlffls(&record, nullptr), SNLF_FLUSH_NULL_HANDLE);
  EXPECT_EQ(snlfgch(nullptr, nullptr, nullptr), SNLF_GETC_NULL_HANDLE) << "a missing record is no crash";
}

TEST(StandardStreams, SelectorsAndNeverClosed) {
  NlOsErrorRecord record{};
  FILE* handle = nullptr;
  EXPECT_EQ(snlfoty(&record, SNLF_STANDARD_ERROR, &handle), 0);
  EXPECT_EQ(handle, stderr);
  EXPECT_EQ(snlfoty(&record, 4, &handle), SNLF_STD_BAD_SELECTOR);
  ExpectRecord(record, SNLF_STD_BAD_SELECTOR, 0, 4);
  ASSERT_EQ(snlfoty(&record, SNLF_STANDARD_OUTPUT, &handle), 0);
  EXPECT_EQ(snlfchd(&record, handle), 0);
  EXPECT_EQ(snlfprt(&record, "%s", "standard output is still open\n"), 0);
}

TEST(Reading, CharactersAndLinesToTheEnd) {
  TempDir dir;
  FILE* handle = Open(dir.Write("in.txt", "ab\ncd"), SNLF_MODE_READ);
  NlOsErrorRecord record{};
  std::string characters;
  std::int32_t c = 0;
  while (snlfgch(&record, handle, &c) == 0) characters += static_cast<char>(c);
  EXPECT_EQ(characters, "ab\ncd");
  ExpectRecord(record, SNLF_GETC_END_OF_FILE);
  EXPECT_EQ(snlfuch(&record, handle, 'z'), 0);
  EXPECT_EQ(snlfgch(&record, handle, &c), 0);
  EXPECT_EQ(c, 'z');

  EXPECT_EQ(snlfsek(&record, handle, SEEK_SET, 0), 0);
  char line[3];
  std::uint32_t length = 0;
  std::string lines;
  while (snlfglh(&record, handle, line, sizeof line, &length) == 0)
    lines.append("[").append(line, length).append("]");
  EXPECT_EQ(lines, "[ab][\n][cd]") << "at most size - 1 characters per read, the newline kept";
  ExpectRecord(record, SNLF_LINE_END_OF_FILE);
  EXPECT_EQ(snlfchd(&record, handle), 0);
}

std::int32_t PrintThroughList(NlOsErrorRecord* record, FILE* handle, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::int32_t code = snlfvfp(record, handle, format, arguments);
  va_end(arguments);
  return code;
}

// Also: snlfrd, snlfwrt and snlfchd keep an earlier record on success; the others clear it.
TEST(Writing, WritePrintSeekTellReadAndRecordRules) {
  TempDir dir;
  FILE* handle =
      Open(dir.File("out.bin"), SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_CREATE | SNLF_MODE_BINARY);
  const NlOsErrorRecord earlier{SNLF_OPEN_FAILED, ENOENT, 0};
  NlOsErrorRecord record = earlier;
  EXPECT_EQ(snlfwrt(&record, handle, "hello", 5), 0);
  EXPECT_EQ(snlfwrt(&record, handle, nullptr, 0), 0) << "size 0 writes nothing";
  ExpectRecord(record, SNLF_OPEN_FAILED, ENOENT);
  EXPECT_EQ(snlfprh(&record, handle, "-%d-", 42), 0);
  ExpectRecord(record, 0);
  EXPECT_EQ(PrintThroughList(&record, handle, "%s|", "list"), 0);
  EXPECT_EQ(dir.Read("out.bin"), "hello-42-list|") << "snlfvfp flushes";
  EXPECT_EQ(PrintThroughList(&record, handle, nullptr), SNLF_VPRINT_FAILED);
  ExpectRecord(record, SNLF_VPRINT_FAILED, EINVAL);

  std::int32_t position = -1;
  EXPECT_EQ(snlfsek(&record, handle, SEEK_END, 0), 0) << "origin comes before offset";
  EXPECT_EQ(snlftel(&record, handle, &position), 0);
  EXPECT_EQ(position, 14);
  char buffer[32];
  std::uint32_t count = 0;
  ASSERT_EQ(snlfsek(&record, handle, SEEK_SET, 6), 0);
  record = earlier;
  EXPECT_EQ(snlfrd(&record, handle, buffer, sizeof buffer, &count), 0);
  EXPECT_EQ(std::string(buffer, count), "42-list|");
  EXPECT_EQ(snlfchd(&record, handle), 0);
  ExpectRecord(record, SNLF_OPEN_FAILED, ENOENT);
}

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
  NlOsErrorRecord record{};
  char name[300];
  std::uint32_t length = 0;
  FILE* handle = nullptr;
  const std::uint32_t taken = kelnl::files::TakeTemporaryNumber();
  ASSERT_EQ(snlftmp(&record, pattern.data(), Length(pattern), name, sizeof name, &length, &handle), 0);
  const std::string expected = Join(dir.path().string(), std::to_string(kelnl::os::ProcessId())) + "." +
                               std::to_string((taken + 1) % 999);
  EXPECT_EQ(std::string(name, length), expected);
  EXPECT_TRUE(std::filesystem::exists(expected));
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
