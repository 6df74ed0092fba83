// kelnl trace decode on files written through the external trace library with records laid out
// as the trace bridge lays them out, and on damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "tests/platform/ztrace_test_support.h"
#include "tests/support/test_files.h"
#include "tests/tools/tool_run.h"

namespace {

using kelnl::testing::Outcome;
using kelnl::testing::RunKelnl;
using kelnl::testing::TempDir;
using kelnl::testing::TraceFilePath;
using kelnl::testing::ZtRegistration;

// Little-endian record bytes, as the bridge builds them.
struct RecordBytes {
  std::vector<std::uint8_t> bytes;
  RecordBytes& U16(std::uint16_t v) { return Raw({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); }
  RecordBytes& U32(std::uint32_t v) {
    return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
  }
  RecordBytes& Text(const char* text) {
    bytes.insert(bytes.end(), text, text + std::strlen(text) + 1);
    return *this;
  }
  RecordBytes& Raw(std::initializer_list<std::uint8_t> raw) {
    bytes.insert(bytes.end(), raw);
    return *this;
  }
  RecordBytes& Mask(std::initializer_list<int> events) {
    U16(64);
    std::uint8_t mask[64] = {};
    for (int event : events) mask[event / 8] |= static_cast<std::uint8_t>(1u << (event % 8));
    bytes.insert(bytes.end(), mask, mask + 64);
    return *this;
  }
};

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
  text.U32(1002).U32(42).U16(18).U32(18302).Text("%s %d").Text("abc").U32(7).Mask({3});
  ASSERT_EQ(text.bytes.size(), 10u + 18u + 66u);
  ASSERT_EQ(trace_.Write(ZT_TYPE_DETAIL_LOW, text.bytes.data(), static_cast<std::uint32_t>(text.bytes.size())), 0);
  RecordBytes dump;
  dump.U32(1002).U32(50).U16(4).U32(9).U16(3).Raw({'A', 'B', 0x00}).Mask({5, 14});
  ASSERT_EQ(trace_.Write(ZT_TYPE_DUMP, dump.bytes.data(), static_cast<std::uint32_t>(dump.bytes.size())), 0);
  const std::uint8_t key[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  ASSERT_EQ(trace_.SetKey("0123456789ABCDEF"), 0);
  ASSERT_EQ(trace_.Write(ZT_TYPE_KEY, key, 8), 0);
  RecordBytes keyed;
  keyed.U32(1101).U32(7).U16(4 + 8 + 9).U32(18306).Text("%c%x%ld").Raw({'q'}).U32(255).U32(0xFFFFFFFFu).Mask({});
  ASSERT_EQ(trace_.Write(ZT_TYPE_ERROR, keyed.bytes.data(), static_cast<std::uint32_t>(keyed.bytes.size()), 5), 0);
  RecordBytes no_memory;
  no_memory.U32(1002).U32(1264).U16(4).U32(1003);
  ASSERT_EQ(trace_.Write(ZT_TYPE_DUMP, no_memory.bytes.data(), 14), 0);

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
  RecordBytes good;
  good.U32(1002).U32(1).U16(4).U32(18300).Mask({1});
  ASSERT_EQ(trace_.Write(ZT_TYPE_DETAIL_LOW, good.bytes.data(), static_cast<std::uint32_t>(good.bytes.size())), 0);
  RecordBytes bad_length;  // a text length past the record's end
  bad_length.U32(1002).U32(2).U16(400).U32(18300).Mask({1});
  ASSERT_EQ(trace_.Write(ZT_TYPE_DETAIL_LOW, bad_length.bytes.data(),
                         static_cast<std::uint32_t>(bad_length.bytes.size())), 0);
  const std::string file = Finish();

  EXPECT_EQ(Decode(file), 1);
  EXPECT_NE(out_.find("#1 detail-low"), std::string::npos) << "records before the damage are printed";
  EXPECT_NE(err_.find("record #2 at offset"), std::string::npos) << err_;
  EXPECT_NE(err_.find("text length 400"), std::string::npos) << err_;

  const std::string bytes = dir_.Read(std::filesystem::path(file).filename().string());
  dir_.Write("cut.ztr", bytes.substr(0, bytes.size() - 10));
  EXPECT_EQ(Decode(dir_.File("cut.ztr")), 1);
  EXPECT_NE(err_.find("runs past the end of the file"), std::string::npos) << err_;

  dir_.Write("foreign.ztr", "this is not a trace file at all");
  EXPECT_EQ(Decode(dir_.File("foreign.ztr")), 1);
  EXPECT_NE(err_.find("bad header"), std::string::npos) << err_;

  EXPECT_EQ(Decode(dir_.File("absent.ztr")), 1);
  EXPECT_NE(err_.find("cannot open"), std::string::npos) << err_;
}

}  // namespace
