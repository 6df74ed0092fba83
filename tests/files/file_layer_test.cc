// Streams: opening modes, standard streams, reading, writing, positioning and the record rules.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <string>

#include "files/open_mode.h"
#include "kelnl/snlf.h"
#include "tests/files/file_test_helpers.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

std::string ModeFor(std::uint32_t bits) {
  char mode[kelnl::files::kOpenModeCapacity];
  return kelnl::files::BuildOpenMode(bits, mode) ? std::string(mode) : std::string("refused");
}

FILE* Open(const std::string& name, std::uint32_t mode) {
  NlOsErrorRecord record{};
  FILE* handle = nullptr;
  EXPECT_EQ(snlfohd(&record, mode, name.data(), Length(name), &handle), 0) << name;
  return handle;
}

void Close(FILE* handle) {
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfchd(&record, handle), 0);
}

TEST(OpenMode, BitsMapToRuntimeModes) {
  EXPECT_EQ(ModeFor(SNLF_MODE_READ), "rt");
  EXPECT_EQ(ModeFor(SNLF_MODE_READ | SNLF_MODE_WRITE), "r+t");
  EXPECT_EQ(ModeFor(SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_CREATE), "w+t");
  EXPECT_EQ(ModeFor(SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_APPEND), "a+t");
  EXPECT_EQ(ModeFor(SNLF_MODE_WRITE), "wt");
  EXPECT_EQ(ModeFor(SNLF_MODE_WRITE | SNLF_MODE_CREATE), "wt");
  EXPECT_EQ(ModeFor(SNLF_MODE_WRITE | SNLF_MODE_APPEND), "at");
  EXPECT_EQ(ModeFor(SNLF_MODE_WRITE | SNLF_MODE_APPEND | SNLF_MODE_BINARY), "ab");
  EXPECT_EQ(ModeFor(SNLF_MODE_READ | SNLF_MODE_BINARY), "rb");
  EXPECT_EQ(ModeFor(SNLF_MODE_APPEND | SNLF_MODE_CREATE | SNLF_MODE_BINARY), "refused");
}

// Text mode turns line feeds into CR LF on Windows, so the contents here have none.
TEST(OpenMode, AppendKeepsAndCreateTruncates) {
  TempDir dir;
  const std::string file = dir.Write("log.txt", "old");
  FILE* append = Open(file, SNLF_MODE_WRITE | SNLF_MODE_APPEND);
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfwrt(&record, append, "+new", 4), 0);
  Close(append);
  EXPECT_EQ(dir.Read("log.txt"), "old+new");

  FILE* update = Open(file, SNLF_MODE_READ | SNLF_MODE_WRITE);
  EXPECT_EQ(snlfwrt(&record, update, "OLD", 3), 0);
  Close(update);
  EXPECT_EQ(dir.Read("log.txt"), "OLD+new") << "read and write neither truncates nor appends";

  Close(Open(file, SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_CREATE));
  EXPECT_EQ(dir.Read("log.txt"), "");
}

TEST(OpenMode, RefusalsAndFailures) {
  TempDir dir;
  NlOsErrorRecord record{};
  FILE* handle = reinterpret_cast<FILE*>(&record);
  const std::string missing = dir.File("missing.txt");
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_READ, missing.data(), Length(missing), &handle), SNLF_OPEN_FAILED);
  ExpectRecord(record, SNLF_OPEN_FAILED, ENOENT);
  EXPECT_EQ(handle, nullptr);

  EXPECT_EQ(snlfohd(&record, SNLF_MODE_APPEND, missing.data(), Length(missing), &handle), SNLF_OPEN_BAD_MODE);
  ExpectRecord(record, SNLF_OPEN_BAD_MODE);
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_READ, missing.data(), Length(missing), nullptr), SNLF_OPEN_NO_HANDLE_SLOT);

  const std::string too_long(257, 'x');
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_READ, too_long.data(), 257, &handle), SNLF_OPEN_NAME_TOO_LONG);
  ExpectRecord(record, SNLF_OPEN_NAME_TOO_LONG, 0, 256);
  EXPECT_EQ(snlfohd(&record, SNLF_MODE_READ, too_long.data(), 256, &handle), SNLF_OPEN_FAILED)
      << "256 characters pass the length check and reach the system";
}

TEST(StandardStreams, SelectorsAndNeverClosed) {
  NlOsErrorRecord record{};
  FILE* handle = nullptr;
  EXPECT_EQ(snlfoty(&record, SNLF_STANDARD_INPUT, &handle), 0);
  EXPECT_EQ(handle, stdin);
  EXPECT_EQ(snlfoty(&record, SNLF_STANDARD_ERROR, &handle), 0);
  EXPECT_EQ(handle, stderr);
  EXPECT_EQ(snlfoty(&record, 4, &handle), SNLF_STD_BAD_SELECTOR);
  ExpectRecord(record, SNLF_STD_BAD_SELECTOR, 0, 4);

  ASSERT_EQ(snlfoty(&record, SNLF_STANDARD_OUTPUT, &handle), 0);
  EXPECT_EQ(snlfchd(&record, handle), 0);
  EXPECT_EQ(snlfprh(&record, stdout, "%s", "standard output still open\n"), 0);
  EXPECT_EQ(snlffls(&record, stdout), 0);
}

TEST(NullHandles, EachOperationReportsItsOwnCode) {
  NlOsErrorRecord record{};
  char buffer[8];
  std::uint32_t count = 0;
  std::int32_t value = 0;
  EXPECT_EQ(snlfchd(&record, nullptr), SNLF_CLOSE_NULL_HANDLE);
  EXPECT_EQ(snlffls(&record, nullptr), SNLF_FLUSH_NULL_HANDLE);
  ExpectRecord(record, SNLF_FLUSH_NULL_HANDLE);
  EXPECT_EQ(snlfgch(&record, nullptr, &value), SNLF_GETC_NULL_HANDLE);
  EXPECT_EQ(snlfuch(&record, nullptr, 'x'), SNLF_UNGETC_NULL_HANDLE);
  EXPECT_EQ(snlfglh(&record, nullptr, buffer, sizeof buffer, &count), SNLF_LINE_NULL_HANDLE);
  EXPECT_EQ(snlfrd(&record, nullptr, buffer, sizeof buffer, &count), SNLF_READ_NULL_HANDLE);
  EXPECT_EQ(snlfwrt(&record, nullptr, buffer, 1), SNLF_WRITE_NULL_HANDLE);
  EXPECT_EQ(snlfsek(&record, nullptr, 0, 0), SNLF_SEEK_NULL_HANDLE);
  EXPECT_EQ(snlftel(&record, nullptr, &value), SNLF_TELL_NULL_HANDLE);
  EXPECT_EQ(snlfprh(&record, nullptr, "x"), SNLF_PRINT_NULL_HANDLE);
  EXPECT_EQ(snlffls(nullptr, nullptr), SNLF_FLUSH_NULL_HANDLE) << "a missing record is no crash";
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
  while (snlfglh(&record, handle, line, sizeof line, &length) == 0) lines.append("[").append(line, length).append("]");
  EXPECT_EQ(lines, "[ab][\n][cd]") << "at most size - 1 characters per read, the newline kept";
  ExpectRecord(record, SNLF_LINE_END_OF_FILE);
  EXPECT_EQ(length, 0u);
  Close(handle);
}

std::int32_t PrintThroughList(NlOsErrorRecord* record, FILE* handle, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::int32_t code = snlfvfp(record, handle, format, arguments);
  va_end(arguments);
  return code;
}

TEST(Writing, WritePrintSeekTellAndRead) {
  TempDir dir;
  FILE* handle = Open(dir.File("out.bin"), SNLF_MODE_READ | SNLF_MODE_WRITE | SNLF_MODE_CREATE | SNLF_MODE_BINARY);
  NlOsErrorRecord record{};
  EXPECT_EQ(snlfwrt(&record, handle, "hello", 5), 0);
  EXPECT_EQ(snlfwrt(&record, handle, nullptr, 0), 0) << "size 0 writes nothing";
  EXPECT_EQ(snlfprh(&record, handle, "-%d-", 42), 0);
  EXPECT_EQ(PrintThroughList(&record, handle, "%s|", "list"), 0);
  EXPECT_EQ(dir.Read("out.bin"), "hello-42-list|") << "snlfvfp flushes";
  EXPECT_EQ(PrintThroughList(&record, handle, nullptr), SNLF_VPRINT_FAILED);
  ExpectRecord(record, SNLF_VPRINT_FAILED, EINVAL);

  std::int32_t position = -1;
  EXPECT_EQ(snlfsek(&record, handle, SEEK_SET, 0), 0);
  EXPECT_EQ(snlfsek(&record, handle, SEEK_END, 0), 0) << "origin comes before offset";
  EXPECT_EQ(snlftel(&record, handle, &position), 0);
  EXPECT_EQ(position, 14);
  EXPECT_EQ(snlfsek(&record, handle, SEEK_SET, -1), SNLF_SEEK_FAILED);
  ExpectRecord(record, SNLF_SEEK_FAILED, EINVAL);

  char buffer[32];
  std::uint32_t count = 0;
  ASSERT_EQ(snlfsek(&record, handle, SEEK_SET, 6), 0);
  EXPECT_EQ(snlfrd(&record, handle, buffer, sizeof buffer, &count), 0);
  EXPECT_EQ(std::string(buffer, count), "42-list|");
  EXPECT_EQ(snlfrd(&record, handle, buffer, sizeof buffer, &count), SNLF_READ_NOTHING);
  EXPECT_EQ(count, 0u);
  Close(handle);
}

TEST(RecordRules, ReadWriteAndCloseWriteOnlyOnFailure) {
  TempDir dir;
  FILE* handle = Open(dir.Write("f.txt", "x"), SNLF_MODE_READ | SNLF_MODE_WRITE);
  const NlOsErrorRecord earlier{SNLF_OPEN_FAILED, ENOENT, 0};
  NlOsErrorRecord record = earlier;
  char c;
  std::uint32_t count = 0;
  EXPECT_EQ(snlfrd(&record, handle, &c, 1, &count), 0);
  EXPECT_EQ(snlfsek(&record, handle, SEEK_CUR, 0), 0) << "a seek separates reading from writing";
  record = earlier;
  EXPECT_EQ(snlfwrt(&record, handle, "y", 1), 0);
  EXPECT_EQ(snlfchd(&record, handle), 0);
  ExpectRecord(record, SNLF_OPEN_FAILED, ENOENT);

  // Every other operation clears the record on entry.
  EXPECT_EQ(snlffls(&record, stdout), 0);
  ExpectRecord(record, 0);
}

}  // namespace
}  // namespace kelnl::testing
