// The line-input file of the formatted-file operations, and what they hand to the streams.
#include <gtest/gtest.h>

#include <string>

#include "diagnostics/stream_eof.h"
#include "kelnl/nlerrors.h"
#include "kelnl/nlfi.h"
#include "tests/diagnostics/stream_test_support.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace kelnl::testing {
namespace {

NlDiagStream* OpenLineInput(const std::string& path, std::int32_t* result = nullptr) {
  NlFileNameDesc desc = DescriptorFor(path);
  NlDiagStream* stream = reinterpret_cast<NlDiagStream*>(1);
  const std::int32_t code =
      nlfiini(nullptr, nullptr, &stream, nullptr, NLDS_KIND_FILE, NLDS_OPTION_LINE_INPUT, &desc);
  if (result != nullptr) *result = code;
  return stream;
}

std::string ReadLine(NlDiagStream* stream, std::uint32_t size = 64, std::int32_t* result = nullptr) {
  char buffer[64] = {};
  std::uint32_t length = 99;
  const std::int32_t code = nlfird(nullptr, nullptr, stream, buffer, size, &length);
  if (result != nullptr) *result = code;
  return std::string(buffer, length);
}

TEST(LineInputFile, ReadsLinesWithTheirEndsUntilTheEnd) {
  TempDir dir;
  NlDiagStream* stream = OpenLineInput(dir.Write("commands.txt", "one\ntwo words\nlast"));
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(nldseof(stream), NLE_STREAM_NOT_AT_END);
  EXPECT_EQ(ReadLine(stream), "one\n");
  EXPECT_EQ(ReadLine(stream, 5), "two ") << "size - 1 characters at most";
  EXPECT_EQ(ReadLine(stream), "words\n");
  EXPECT_EQ(ReadLine(stream), "last");
  std::int32_t code = 0;
  EXPECT_EQ(ReadLine(stream, 64, &code), "");
  EXPECT_EQ(code, NLE_FILE_READ_FAILED);
  EXPECT_EQ(nldseof(stream), 0);
  EXPECT_EQ(nlfidst(nullptr, nullptr, &stream), 0);
  EXPECT_EQ(stream, nullptr);
}

// The file is read in text mode: positions count the line ends the platform writes, and the
// Windows runtime miscounts positions in files whose lines end in a bare line feed.
#ifdef _WIN32
constexpr char kLineEnd[] = "\r\n";
#else
constexpr char kLineEnd[] = "\n";
#endif

TEST(LineInputFile, PositionsAndRefusals) {
  TempDir dir;
  const std::string end(kLineEnd);
  NlDiagStream* stream = OpenLineInput(dir.Write("commands.txt", "abc" + end + "def" + end));
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReadLine(stream), "abc\n");
  std::int32_t position = -1;
  EXPECT_EQ(nlfitel(stream, &position), 0);
  EXPECT_EQ(position, static_cast<std::int32_t>(3 + end.size()));
  EXPECT_EQ(nlfisek(stream, 1, 0), 0);
  EXPECT_EQ(ReadLine(stream), "bc\n");
  EXPECT_EQ(nlfisek(stream, 0, 7), NLE_FILE_POSITION_FAILED) << "no such origin";
  EXPECT_EQ(nlfiwr(nullptr, nullptr, stream, "x", 1), NLE_FILE_WRITE_FAILED);

  NlDiagStream* terminal = NewStream(NLDS_KIND_STANDARD_OUTPUT);
  EXPECT_EQ(nlfitel(terminal, &position), NLE_STREAM_KIND_UNSUPPORTED);
  EXPECT_EQ(nlfisek(terminal, 0, 0), NLE_STREAM_KIND_UNSUPPORTED);
  EXPECT_EQ(nlfitel(nullptr, &position), NLE_STREAM_KIND_UNSUPPORTED);
  Destroy(terminal);
  EXPECT_EQ(nlfidst(nullptr, nullptr, &stream), 0);
}

TEST(LineInputFile, OpenFailuresLeaveNothing) {
  TempDir dir;
  std::int32_t code = 0;
  EXPECT_EQ(OpenLineInput(dir.File("absent.txt"), &code), nullptr);
  EXPECT_EQ(code, NLE_FILE_OPEN_FAILED);
  const std::string path = dir.Write("present.txt", "x\n");
  SweepExpectingCode(
      [&] {
        NlDiagStream* stream = OpenLineInput(path, &code);
        if (stream != nullptr) nlfidst(nullptr, nullptr, &stream);
        return code;
      },
      NLE_STREAM_NO_MEMORY);
}

TEST(FormattedFile, OtherStreamsGoToTheStreamOperations) {
  TempDir dir;
  const std::string path = dir.File("out.txt");
  NlFileNameDesc desc = DescriptorFor(path);
  NlDiagStream* stream = nullptr;
  NlPrimaryErrorRecord errors{};
  ASSERT_EQ(nlfiini(nullptr, &errors, &stream, nullptr, NLDS_KIND_FILE, 0, &desc), 0);
  EXPECT_EQ(nlfifpf(nullptr, &errors, stream, "%s=%d", "count", 3), 7);
  EXPECT_EQ(nlfifl(nullptr, &errors, stream), 0);
  EXPECT_EQ(dir.Read("out.txt"), "count=3");
  EXPECT_EQ(nlfidst(nullptr, &errors, &stream), 0);
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(nlfiini(nullptr, &errors, &stream, nullptr, NLDS_KIND_REFUSED, 0, nullptr), NLE_STREAM_KIND_REFUSED);

  EXPECT_EQ(nlfiacc(0, desc.base_name, desc.base_name_length), 0);
  EXPECT_EQ(nlfiacc(0, "/no/such/file", 13), NLE_FILE_ACCESS_FAILED);
}

}  // namespace
}  // namespace kelnl::testing
