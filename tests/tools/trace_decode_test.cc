// kelnl trace decode on files written through the external trace library with records laid out
// as the trace bridge lays them out, and on damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "kelnl/nldt.h"
#include "tests/diagnostics/trace_test_support.h"
#include "tests/platform/ztrace_test_support.h"
#include "tests/support/test_files.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

using kelnl::testing::TempDir;
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

struct Decoded {
  int status = -1;
  std::string out, err;
};

// Runs kelnl trace decode on a file, its output kept in the directory.
Decoded DecodeWithProgram(const TempDir& dir, const std::string& file) {
  const std::string command = std::string("'") + KELNL_TOOL_PATH + "' trace decode '" + file + "' >'" +
                              dir.File("out") + "' 2>'" + dir.File("err") + "'";
  [[maybe_unused]] const int raw = std::system(command.c_str());
  Decoded decoded;
#ifndef _WIN32
  decoded.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  decoded.out = dir.Read("out");
  decoded.err = dir.Read("err");
  return decoded;
}

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
    return kelnl::testing::TraceFilePath(dir_.path(), "client", kelnl::os::ProcessId()).string();
  }
  int Decode(const std::string& file) {
    Decoded decoded = DecodeWithProgram(dir_, file);
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

// The trace bridge itself writing through kelzt: what it encodes decodes to what was traced.
class BridgeToDecoder : public kelnl::testing::TraceTest {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the program is driven through a POSIX shell";
#endif
  }
};

TEST_F(BridgeToDecoder, RecordsTracedThroughTheBridgeDecodeAsTraced) {
  StartContext();
  NlTraceContext* trace = Trace("level = 16\n");
  context_->parameters = Parameters("use_ztrace = on\n");
  const std::string trace_name = dir_.File("cli.trc");
  ASSERT_EQ(nldtotinit(trace, "STARTUPNAME", 16, trace_name.c_str(), dir_.File("brisol.fdf").c_str()), 0);
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1002, 42, 4, 3, 0, 18302u, "%s %d", "abc", 7), 0);
  EXPECT_EQ(nldtotrc(nullptr, trace, 9, 1101, 43, 16, 5, 14, 0, 9u, 3, "AB"), 0);
  EXPECT_EQ(nldtotrc(nullptr, trace, 0, 1002, 44, 7, 1, 0, 18300u, ""), 0);
  EXPECT_EQ(nldtotdereg(nullptr, trace), 0);
  EXPECT_EQ(zt16_terminate(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, &trace->external_state), 0);
  trace->external_handle = nullptr;

  const Decoded decoded = DecodeWithProgram(
      dir_, kelnl::testing::TraceFilePath(dir_.path(), "cli", kelnl::os::ProcessId()).string());
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  const std::string records = decoded.out.substr(decoded.out.find('\n') + 1);
  EXPECT_EQ(records,
            "#1 detail-low component 1002 \"nldtotrc\" line 42 message 18302 \"trace level: %d\" args \"abc 7\" "
            "events 3\n"
            "#2 dump component 1101 \"nldtopen\" line 43 value 9 length 3 events 5,14 data 41 42 00 argument 9\n"
            "#3 detail-high component 1002 \"nldtotrc\" line 44 message 18300 \"trace started\" events 1\n");
}

}  // namespace
