// The external trace library through its eight operations, as the trace bridge calls them, and
// its file reader on good, truncated and corrupt files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/os/os.h"
#include "platform/ztrace/registration.h"
#include "tests/platform/ztrace_test_support.h"
#include "tests/support/alloc_sweep.h"
#include "tests/support/test_files.h"

namespace {

using kelnl::testing::EnableVector;
using kelnl::testing::TempDir;
using kelnl::testing::ZtRegistration;

using kelzt::ReadStatus;

// A trace file read to its first non-record result: its header, the records before that result
// as "type/sequence/argument/key/bytes", and the result with its description.
struct TraceRead {
  kelzt::FileHeader header{};
  std::vector<std::string> records;
  ReadStatus status = ReadStatus::kRecord;
  std::string description;
};

TraceRead ReadTrace(const std::vector<std::uint8_t>& bytes) {
  kelzt::TraceFileReader reader(bytes);
  TraceRead read;
  read.status = reader.ReadHeader(&read.header);
  kelzt::Record record;
  while (read.status == ReadStatus::kRecord && (read.status = reader.Next(&record)) == ReadStatus::kRecord) {
    char key[17];
    for (int i = 0; i < 8; ++i) std::snprintf(key + 2 * i, 3, "%02x", record.key[i]);
    read.records.push_back(std::to_string(record.type) + "/" + std::to_string(record.sequence) + "/" +
                           std::to_string(record.external_argument) + "/" + key + "/" +
                           std::string(record.bytes.begin(), record.bytes.end()));
  }
  char text[160];
  kelzt::DescribeReadFailure(reader, read.status, text, sizeof text);
  read.description = text;
  return read;
}

class ExternalTrace : public ::testing::Test {
 protected:
  void TearDown() override {
    if (trace_.state != 0) trace_.Terminate();
  }
  std::string ConfigPath() const { return dir_.File("brisol.fdf"); }
  std::filesystem::path TraceFile(const std::string& name) const {
    return kelnl::testing::TraceFilePath(dir_.path(), name, kelnl::os::ProcessId());
  }
  TempDir dir_;
  ZtRegistration trace_;
};

TEST_F(ExternalTrace, RecordsOfEnabledTypesReachTheFileWithKeyAndArgument) {
  ASSERT_EQ(trace_.Register("LISTENER_01"), 0);
  EXPECT_EQ(trace_.OnWord(), 0u) << "registered but not configured: the trace is off";
  const auto vector = EnableVector({1, 4, 7});
  ASSERT_EQ(trace_.Configure(vector.data(), "listener", ConfigPath()), 0);
  EXPECT_EQ(trace_.OnWord(), 1u);

  EXPECT_EQ(trace_.Write(1, "abc", 3, 77), 0);
  EXPECT_EQ(trace_.Write(2, "dropped", 7), 0) << "a disabled type is dropped without an error";
  ASSERT_EQ(trace_.SetKey("0123456789abcDEF"), 0);
  EXPECT_EQ(trace_.Write(4, "", 0), 0);
  ASSERT_EQ(zt20_flush(2), 0);

  const auto bytes = kelnl::testing::ReadBytes(TraceFile("listener"));
  const TraceRead read = ReadTrace(bytes);
  EXPECT_EQ(read.status, ReadStatus::kEnd);
  // Dropped records take no sequence number.
  EXPECT_EQ(read.records, (std::vector<std::string>{"1/1/77/0000000000000000/abc", "4/2/0/0123456789abcdef/"}));
  EXPECT_STREQ(read.header.startup_name, "LISTENER_01");
  EXPECT_EQ(read.header.process_id, kelnl::os::ProcessId());

  ASSERT_EQ(trace_.Deregister(), 0);
  EXPECT_EQ(trace_.OnWord(), 0u);
  EXPECT_EQ(trace_.Write(1, "late", 4), 0) << "records while the trace is off are dropped";
  ASSERT_EQ(trace_.Terminate(), 0);
  EXPECT_EQ(trace_.state, 0u);
  EXPECT_EQ(kelnl::testing::ReadBytes(TraceFile("listener")), bytes);
}

// Control reports the key record size, for live states only.
TEST_F(ExternalTrace, ControlAndRefusals) {
  ASSERT_EQ(trace_.Register(), 0);
  std::int32_t size = 0;
  EXPECT_EQ(zt11_control(2, 3, 0, 0, &size), 0);
  // The size is a key record in the file plus 8; the bridge takes 8 off again.
  EXPECT_EQ(size, static_cast<std::int32_t>(kelzt::kLengthFieldBytes + kelzt::kRecordFixedBytes + 8 + 8));
  EXPECT_EQ(zt11_control(2, 3, trace_.state, 0, nullptr), 0);
  EXPECT_EQ(zt11_control(2, 3, trace_.state + 1000, 0, &size), kelzt::kErrorNoRegistration);
  EXPECT_EQ(zt11_control(2, 4, 0, 0, &size), kelzt::kErrorBadArgument);

  void* handle = nullptr;
  uintptr_t state = 0;
  EXPECT_EQ(zt22_register(2, ZT_INTERFACE_ID, 115, "V2.0", "STARTUPNAME", 0, &handle, 14, 2, 0, 0, 0, 0, &state),
            ZT_ERROR_REFUSED);
  EXPECT_EQ(zt22_register(2, ZT_INTERFACE_ID, 115, "V3.0", "STARTUPNAME", 0, &handle, 13, 2, 0, 0, 0, 0, &state),
            ZT_ERROR_REFUSED) << "a caller with other record types";
  EXPECT_EQ(handle, nullptr);

  const auto vector = EnableVector();
  EXPECT_EQ(trace_.Configure(vector.data(), "/trace/..", ConfigPath()), ZT_ERROR_CONFIGURATION);
  EXPECT_EQ(trace_.Configure(vector.data(), std::string(257, 'n').c_str(), ConfigPath()), ZT_ERROR_CONFIGURATION);
  EXPECT_EQ(trace_.Configure(vector.data(), "t", dir_.File("missing/brisol.fdf")), ZT_ERROR_CONFIGURATION);
  EXPECT_EQ(trace_.Configure(nullptr, "t", ConfigPath()), ZT_ERROR_CONFIGURATION);
  EXPECT_EQ(trace_.OnWord(), 0u) << "a failed configuration leaves the trace off";

  EXPECT_EQ(trace_.SetKey("0123456789abcdeg"), kelzt::kErrorBadArgument);
  EXPECT_EQ(trace_.Write(ZT_TYPE_COUNT, "x", 1), kelzt::kErrorBadArgument);
  EXPECT_EQ(zt20_flush(3), kelzt::kErrorBadArgument);

  uintptr_t stale = trace_.state;
  ASSERT_EQ(trace_.Terminate(), 0);
  EXPECT_EQ(zt18_write(2, ZT_INTERFACE_ID, 115, 1, 0, "x", 1, 0, 0, 0, &stale), kelzt::kErrorNoRegistration);
  EXPECT_EQ(zt16_terminate(2, ZT_INTERFACE_ID, 115, "V3.0", &stale), kelzt::kErrorNoRegistration);
}

// The bridge passes the internal trace file's path without its extension: only its last
// component names the file, here the same one as "cli".
TEST_F(ExternalTrace, TheNamedFileIsContinuedOnComingBackAndSharedWithNoOtherTrace) {
  ASSERT_EQ(trace_.Register(), 0);
  const auto vector = EnableVector();
  const std::string elsewhere = (dir_.path() / "network" / "trace" / "cli").string();
  ASSERT_EQ(trace_.Configure(vector.data(), elsewhere.c_str(), ConfigPath()), 0);
  ASSERT_EQ(trace_.Write(1, "one", 3), 0);

  ZtRegistration other;
  ASSERT_EQ(other.Register(), 0);
  EXPECT_EQ(other.Configure(vector.data(), "cli", ConfigPath()), ZT_ERROR_CONFIGURATION);
  ASSERT_EQ(other.Configure(vector.data(), "", ConfigPath()), 0);
  EXPECT_TRUE(std::filesystem::exists(TraceFile("trace"))) << "an empty name still traces";
  ASSERT_EQ(other.Terminate(), 0);

  ASSERT_EQ(trace_.Deregister(), 0);
  ASSERT_EQ(trace_.Configure(vector.data(), "cli", ConfigPath()), 0);
  ASSERT_EQ(trace_.Write(1, "two", 3), 0);
  ASSERT_EQ(trace_.Deregister(), 0);

  const TraceRead read = ReadTrace(kelnl::testing::ReadBytes(TraceFile("cli")));
  EXPECT_EQ(read.status, ReadStatus::kEnd);
  EXPECT_EQ(read.records, (std::vector<std::string>{"1/1/0/0000000000000000/one", "1/2/0/0000000000000000/two"}));
}

TEST_F(ExternalTrace, RegistrationAndConfigurationSurviveEveryFailingAllocation) {
  const auto vector = EnableVector();
  kelnl::testing::SweepExpectingCode(
      [&] {
        std::int32_t result = trace_.Register();
        if (result == 0) result = trace_.Configure(vector.data(), "swept", ConfigPath());
        return result;
      },
      ZT_ERROR_RESOURCES,
      [&] {
        if (trace_.state != 0) trace_.Terminate();
      });
}

// The reader checks no sequence numbers: the records here need none.
std::vector<std::uint8_t> FileOf(std::initializer_list<std::string> records) {
  std::uint8_t header[kelzt::kHeaderBytes];
  kelzt::EncodeHeader(header, 4242, "STARTUPNAME");
  std::vector<std::uint8_t> file(header, header + sizeof header);
  for (const std::string& bytes : records) {
    kelzt::RecordFields fields;
    fields.type = 3;
    std::uint8_t prefix[kelzt::kLengthFieldBytes + kelzt::kRecordFixedBytes];
    kelzt::EncodeRecordPrefix(prefix, fields, static_cast<std::uint32_t>(bytes.size()));
    file.insert(file.end(), prefix, prefix + sizeof prefix);
    file.insert(file.end(), bytes.begin(), bytes.end());
  }
  return file;
}

TEST(TraceFileReader, RejectsForeignOrUnreadHeaders) {
  const auto file = FileOf({});
  EXPECT_EQ(ReadTrace(file).status, ReadStatus::kEnd) << "a header alone is an empty trace";
  EXPECT_EQ(ReadTrace(std::vector<std::uint8_t>(file.begin(), file.end() - 1)).status, ReadStatus::kBadHeader);
  // The magic, the version and a header length past the end.
  for (const auto& [offset, value] : {std::pair<std::size_t, std::uint8_t>{0, 'X'}, {4, 2}, {6, 200}}) {
    auto damaged = file;
    damaged[offset] = value;
    EXPECT_EQ(ReadTrace(damaged).status, ReadStatus::kBadHeader) << offset;
  }
  kelzt::TraceFileReader reader(file);
  kelzt::Record record;
  EXPECT_EQ(reader.Next(&record), ReadStatus::kBadHeader) << "records need the header first";
}

TEST(TraceFileReader, StopsAtTruncatedAndCorruptRecordsAndSaysWhere) {
  const auto good = FileOf({"one", "two"});
  const std::size_t second = kelzt::kHeaderBytes + kelzt::kLengthFieldBytes + kelzt::kRecordFixedBytes + 3;
  auto expect_stop = [](const std::vector<std::uint8_t>& file, ReadStatus status, const std::string& where) {
    const TraceRead read = ReadTrace(file);
    EXPECT_EQ(read.status, status);
    EXPECT_EQ(read.records.size(), 1u) << "the record before the damage is read";
    EXPECT_NE(read.description.find(where), std::string::npos) << read.description;
  };
  expect_stop(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(second) + 2),
              ReadStatus::kTruncatedRecord, "offset " + std::to_string(second));
  // A length that would wrap the offset, and one shorter than a record's fixed part. (The field
  // is written through checked indexing: at -O3 the Windows compiler loses the vector's size
  // behind a raw pointer and warns of an overflow.)
  const auto with_length = [second](std::vector<std::uint8_t> file, std::uint32_t length) {
    for (std::size_t i = 0; i < 4; ++i) file.at(second + i) = static_cast<std::uint8_t>(length >> (8 * i));
    return file;
  };
  expect_stop(with_length(good, 0xFFFFFFFFu), ReadStatus::kLengthPastEnd, "runs past the end");
  expect_stop(with_length(good, 3), ReadStatus::kRecordTooShort, "shorter");
}

}  // namespace
