// File streams: truncating and appending opens, separate read and write positions, the size
// limit and file-layer failures; pairs, where every call reaches both members and a member's
// failure becomes the pair's code. Contents carry no line feeds, which Windows text mode doubles.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "kelnl/nlds.h"
#include "kelnl/nlerrors.h"
#include "kelnl/snlf.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

std::int32_t Write(NlDiagStream* stream, const std::string& text) {
  return nldswrite(nullptr, stream, text.data(), static_cast<std::uint32_t>(text.size()));
}

std::string Read(NlDiagStream* stream, std::uint32_t size) {
  std::string buffer(size, '\0');
  std::uint32_t length = 0;
  EXPECT_EQ(nldsread(nullptr, stream, buffer.data(), size, &length), 0);
  buffer.resize(length);
  return buffer;
}

TEST(FileStream, FirstOpenTruncatesLaterOpensAppend) {
  TempDir dir;
  const std::string path = dir.Write("trace.trc", "left from an earlier run");
  NlDiagStream* stream = NewFileStream(path);
  NlPrimaryErrorRecord errors{};
  ASSERT_EQ(nldsfprintf(&errors, stream, "first %d", 1), 0) << "the first write opens the stream";
  ASSERT_EQ(nldsclose(&errors, stream), 0);
  ASSERT_EQ(Write(stream, "+second"), 0);
  Destroy(stream);
  EXPECT_EQ(dir.Read("trace.trc"), "first 1+second") << "destroy closes and flushes";

  NlDiagStream* appending = NewFileStream(path, NLDS_OPTION_APPEND);
  ASSERT_EQ(Write(appending, "+appended"), 0);
  Destroy(appending);
  EXPECT_EQ(dir.Read("trace.trc"), "first 1+second+appended");
}

TEST(FileStream, ReadsFollowTheirOwnPositionWhileWritesGoOn) {
  TempDir dir;
  NlDiagStream* stream = NewFileStream(dir.File("both.txt"));
  ASSERT_EQ(Write(stream, "abcdef"), 0);
  EXPECT_EQ(Read(stream, 3), "abc");
  ASSERT_EQ(Write(stream, "gh"), 0);
  EXPECT_EQ(Read(stream, 100), "defgh");
  NlPrimaryErrorRecord errors{};
  std::uint32_t length = 0;
  char byte;
  EXPECT_EQ(nldsread(&errors, stream, &byte, 1, &length), NLE_FILE_READ_FAILED) << "nothing left to read";
  EXPECT_EQ(errors.os_facility, 3);
  EXPECT_EQ(errors.os_error.operation, static_cast<std::uint32_t>(SNLF_READ_NOTHING));
  ASSERT_EQ(Write(stream, "ij"), 0) << "a failed read leaves the writer where it was";
  EXPECT_EQ(Read(stream, 100), "ij");

  // Closing and reopening keeps the read position: the reader carries on where it stopped.
  ASSERT_EQ(nldsclose(&errors, stream), 0);
  ASSERT_EQ(Write(stream, "kl"), 0);
  EXPECT_EQ(Read(stream, 100), "kl");
  Destroy(stream);
  EXPECT_EQ(dir.Read("both.txt"), "abcdefghijkl");
}

TEST(FileStream, WritesStopAtTheSizeLimit) {
  TempDir dir;
  NlDiagStream* stream = NewFileStream(dir.File("limited.txt"));
  static_cast<NlDiagFile*>(stream->kind_data)->size_limit = 4;
  ASSERT_EQ(Write(stream, "12"), 0);
  NlPrimaryErrorRecord errors{};
  ASSERT_EQ(nldsfprintf(&errors, stream, "%s", "345"), 0) << "starts below the limit";
  EXPECT_EQ(nldswrite(&errors, stream, "6", 1), NLE_FILE_SIZE_LIMIT);
  EXPECT_EQ(nldsfprintf(&errors, stream, "7"), NLE_FILE_SIZE_LIMIT);
  EXPECT_EQ(errors.os_facility, 0) << "the limit is no operating-system failure";
  Destroy(stream);
  EXPECT_EQ(dir.Read("limited.txt"), "12345");
}

TEST(FileStream, OpenFailuresLeaveTheStreamClosed) {
  TempDir dir;
  NlDiagStream* unreachable = NewFileStream(dir.File("no-such-directory/x.trc"));
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldswrite(&errors, unreachable, "x", 1), NLE_FILE_OPEN_FAILED);
  EXPECT_EQ(errors.os_facility, 3);
  EXPECT_EQ(errors.os_error.operation, static_cast<std::uint32_t>(SNLF_OPEN_FAILED));
  EXPECT_EQ(nldsflush(&errors, unreachable), NLE_STREAM_NOT_OPEN);
  NlDiagStream* nameless = NewStream(NLDS_KIND_FILE);
  errors = NlPrimaryErrorRecord{};
  EXPECT_EQ(nldsopen(&errors, nameless), NLE_FILE_OPEN_FAILED);
  EXPECT_EQ(errors.os_facility, 0) << "no file-layer call was made";
  for (NlDiagStream* stream : {unreachable, nameless}) Destroy(stream);
}

TEST(FileStream, ALostFinalFlushIsTheResultOfCloseAndDestroy) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no device that is always full here";
  for (const bool destroy : {false, true}) {
    NlDiagStream* stream = NewFileStream("/dev/full");
    NlPrimaryErrorRecord errors{};
    ASSERT_EQ(Write(stream, "buffered, then lost"), 0);
    const std::int32_t result = destroy ? nldsdestroy(&errors, &stream) : nldsclose(&errors, stream);
    ASSERT_GT(errors.count, 0);
    EXPECT_EQ(result, errors.errors[errors.count - 1].error) << "the pushed code is returned";
    if (stream != nullptr) nldsdestroy(nullptr, &stream);
    EXPECT_EQ(stream, nullptr);
  }
}

TEST(StandardStream, CaptureFormatsIntoTheRecordsTextCutToItsLength) {
  NlDiagStream* stream = NewStream(NLDS_KIND_STANDARD_ERROR);
  stream->capture = NLDS_CAPTURE_TEXT;
  char text[12];
  std::memset(text, '#', sizeof text);
  NlPrimaryErrorRecord errors{};
  errors.text = text;
  errors.text_length = 8;
  ASSERT_EQ(nldsfprintf(&errors, stream, "code %d: %s", 240, "size limit"), 0);
  EXPECT_STREQ(text, "code 24");
  EXPECT_EQ(text[8], '#') << "nothing written past text_length";
  Destroy(stream);
}

// Pairs: two file streams in dir and the pair stream over them.
struct PairOfFiles {
  NlDiagStream* first;
  NlDiagStream* second;
  NlDiagStream* pair;
};
PairOfFiles NewPair(const TempDir& dir, const char* first_name) {
  NlDiagStream* members[2] = {NewFileStream(dir.File(first_name)), NewFileStream(dir.File("second.log"))};
  return {members[0], members[1], NewStream(NLDS_KIND_PAIR, members)};
}

TEST(PairStream, WritesReachBothMembers) {
  TempDir dir;
  const auto [first, second, pair] = NewPair(dir, "first.log");
  NlPrimaryErrorRecord errors{};
  ASSERT_EQ(nldswrite(&errors, pair, "raw ", 4), 0);
  ASSERT_EQ(nldsfprintf(&errors, pair, "%s %d", "formatted", 2), 0) << "each member gets its own argument list";
  ASSERT_EQ(nldsflush(&errors, pair), 0);
  EXPECT_EQ(dir.Read("first.log"), "raw formatted 2");
  EXPECT_EQ(dir.Read("second.log"), "raw formatted 2");
  ASSERT_EQ(nldsclose(&errors, pair), 0);
  EXPECT_NE(first->state & NLDS_STATE_OPEN, 0) << "the members stay the caller's";
  for (NlDiagStream* stream : {pair, second, first}) Destroy(stream);
}

TEST(PairStream, AFailingFirstMemberStillLetsTheSecondWrite) {
  TempDir dir;
  const auto [broken, second, pair] = NewPair(dir, "missing-directory/first.log");
  NlPrimaryErrorRecord errors{};
  EXPECT_EQ(nldswrite(&errors, pair, "a", 1), NLE_PAIR_WRITE_FAILED);
  EXPECT_EQ(nldsfprintf(&errors, pair, "b"), NLE_PAIR_PRINT_FAILED);
  EXPECT_EQ(Codes(errors), (std::vector<int>{231, 274, 231, 275}));
  EXPECT_EQ(nldsflush(nullptr, pair), NLE_PAIR_FLUSH_FAILED) << "the broken member never opened";
  EXPECT_EQ(nldsread(nullptr, pair, nullptr, 0, nullptr), NLE_STREAM_NOT_READABLE);
  ASSERT_EQ(nldsflush(nullptr, second), 0);
  EXPECT_EQ(dir.Read("second.log"), "ab");

  // A pair whose members were closed first still closes and can be destroyed; the flush before
  // the close failed, and that is the result.
  errors = NlPrimaryErrorRecord{};
  ASSERT_EQ(nldsclose(&errors, second), 0);
  EXPECT_EQ(nldsclose(&errors, pair), NLE_PAIR_FLUSH_FAILED);
  EXPECT_EQ(pair->state & NLDS_STATE_OPEN, 0);
  EXPECT_EQ(Codes(errors), (std::vector<int>{206, 206, 276}));
  for (NlDiagStream* stream : {pair, second, broken}) Destroy(stream);
}

}  // namespace
}  // namespace kelnl::testing
