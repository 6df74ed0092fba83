// kelnl trace decode on files written through the external trace library with records laid out
// as the trace bridge lays them out, and on damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "tests/platform/ztrace_test_support.h"
#include "tests/support/record_bytes.h"
#include "tests/support/test_files.h"
#include "tests/tools/tool_run.h"

namespace {

using kelnl::testing::Outcome;
using kelnl::testing::RecordBytes;
using kelnl::testing::RunKelnl;
using kelnl::testing::TempDir;
using kelnl::testing::TraceFilePath;
using kelnl::testing::ZtRegistration;

class TraceDecode : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the program is driven through a POSIX shell";
#endif
    ASSERT_EQ(trace_.Register("CLIENT_0001"), 0);
    const auto vector = kelnl::testing::EnableVector();
    ASSERT_EQ(trace_.Configure(vector.data(), "client", dir_.File("brisol.fdf")), 0);
  }
  void TearDown() override {
    if (trace_.state != 0) trace_.Terminate();
  }
  // Closes the trace and returns its file's name.
  std::string Finish() {
    EXPECT_EQ(trace_.Terminate(), 0);
    return TraceFilePath(dir_.path(), "client", kelnl::os::ProcessId()).string();
  }
  std::int32_t Write(std::int32_t type, const RecordBytes& record, uintptr_t argument = 0) {
    return trace_.Write(type, record.bytes.data(), static_cast<std::uint32_t>(record.bytes.size()), argument);
  }
  int Decode(const std::string& file) {
    const Outcome decoded = RunKelnl(dir_, "trace decode '" + file + "'");
    out_ = decoded.out;
    err_ = decoded.err;
    return decoded.status;
  }

  TempDir dir_;
  ZtRegistration trace_;
  std::string out_, err_;
};

// The "%s %d" record with abc and 7 (text length 4 + 6 + 4 + 4 = 18), a dump with events 5 and
// 14, a key and a record that carries it, and the bridge's no-memory record.
TEST_F(TraceDecode, PrintsEachRecordOfTheBridgeOnALine) {
  RecordBytes text;
  text.Int(1002).Int(42).Int(18, 2).Int(18302).Text("%s %d").Text("abc").Int(7).Mask({3});
  ASSERT_EQ(Write(ZT_TYPE_DETAIL_LOW, text), 0);
  const RecordBytes dump = RecordBytes().Int(1002).Int(50).Int(4, 2).Int(9).Int(3, 2).Raw({'A', 'B', 0}).Mask({5, 14});
  ASSERT_EQ(Write(ZT_TYPE_DUMP, dump), 0);
  const std::uint8_t key[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  ASSERT_EQ(trace_.SetKey("0123456789ABCDEF"), 0);
  ASSERT_EQ(trace_.Write(ZT_TYPE_KEY, key, 8), 0);
  RecordBytes keyed;
  keyed.Int(1101).Int(7).Int(4 + 8 + 9, 2).Int(18306).Text("%c%x%ld").Raw({'q'}).Int(255).Int(0xFFFFFFFFu).Mask({});
  ASSERT_EQ(Write(ZT_TYPE_ERROR, keyed, 5), 0);
  ASSERT_EQ(Write(ZT_TYPE_DUMP, RecordBytes().Int(1002).Int(1264).Int(4, 2).Int(1003)), 0);

  ASSERT_EQ(Decode(Finish()), 0) << err_;
  const std::string expected =
      "trace of process " + std::to_string(kelnl::os::ProcessId()) + " startup name \"CLIENT_0001\"\n"
      "#1 detail-low component 1002 \"nldtotrc\" line 42 message 18302 \"trace level: %d\" args \"abc 7\" events 3\n"
      "#2 dump component 1002 \"nldtotrc\" line 50 value 9 length 3 events 5,14 data 41 42 00\n"
      "#3 key 0123456789abcdef\n"
      "#4 error component 1101 \"nldtopen\" line 7 message 18306 \"  %s: %s\" args \"qff-1\" events - "
      "key 0123456789abcdef argument 5\n"
      "#5 dump component 1002 \"nldtotrc\" line 1264 message 1003 \"no memory for a trace record\" "
      "key 0123456789abcdef\n";
  EXPECT_EQ(out_, expected);
}

TEST_F(TraceDecode, StopsAtTheFirstDamageWithItsPlace) {
  ASSERT_EQ(Write(ZT_TYPE_DETAIL_LOW, RecordBytes().Int(1002).Int(1).Int(4, 2).Int(18300).Mask({1})), 0);
  // A text length past the record's end.
  ASSERT_EQ(Write(ZT_TYPE_DETAIL_LOW, RecordBytes().Int(1002).Int(2).Int(400, 2).Int(18300).Mask({1})), 0);
  const std::string file = Finish();

  EXPECT_EQ(Decode(file), 1);
  EXPECT_NE(out_.find("#1 detail-low"), std::string::npos) << "records before the damage are printed";
  EXPECT_NE(err_.find("record #2 at offset"), std::string::npos) << err_;
  EXPECT_NE(err_.find("text length 400"), std::string::npos) << err_;

  const std::string bytes = dir_.Read(std::filesystem::path(file).filename().string());
  const std::pair<std::string, const char*> damaged[] = {
      {dir_.Write("cut.ztr", bytes.substr(0, bytes.size() - 10)), "runs past the end of the file"},
      {dir_.Write("foreign.ztr", "this is not a trace file at all"), "bad header"},
      {dir_.File("absent.ztr"), "cannot open"},
  };
  for (const auto& [name, text] : damaged) {
    EXPECT_EQ(Decode(name), 1) << name;
    EXPECT_NE(err_.find(text), std::string::npos) << err_;
  }
}

}  // namespace
