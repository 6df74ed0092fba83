// The trace file reader on good, truncated and corrupt files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/ztrace/trace_file.h"

namespace {

using kelzt::ReadStatus;

std::vector<std::uint8_t> FileOf(std::initializer_list<std::string> records) {
  std::vector<std::uint8_t> file(kelzt::kHeaderBytes);
  std::uint8_t header[kelzt::kHeaderBytes];
  kelzt::EncodeHeader(header, 4242, "STARTUPNAME");
  std::memcpy(file.data(), header, sizeof header);
  std::uint32_t sequence = 0;
  for (const std::string& bytes : records) {
    kelzt::RecordFields fields;
    fields.type = 3;
    fields.sequence = ++sequence;
    std::uint8_t prefix[kelzt::kLengthFieldBytes + kelzt::kRecordFixedBytes];
    kelzt::EncodeRecordPrefix(prefix, fields, static_cast<std::uint32_t>(bytes.size()));
    file.insert(file.end(), prefix, prefix + sizeof prefix);
    file.insert(file.end(), bytes.begin(), bytes.end());
  }
  return file;
}

// Reads to the first non-record result; counts the records before it.
ReadStatus ReadAll(const std::vector<std::uint8_t>& file, int* count, std::string* description = nullptr) {
  kelzt::TraceFileReader reader(file);
  kelzt::FileHeader header;
  *count = 0;
  ReadStatus status = reader.ReadHeader(&header);
  while (status == ReadStatus::kRecord) {
    kelzt::Record record;
    status = reader.Next(&record);
    if (status == ReadStatus::kRecord) ++*count;
  }
  if (description != nullptr) {
    char text[160];
    kelzt::DescribeReadFailure(reader, status, text, sizeof text);
    *description = text;
  }
  return status;
}

TEST(TraceFileReader, RejectsForeignOrUnreadHeaders) {
  int count = 0;
  const auto file = FileOf({});
  EXPECT_EQ(ReadAll(file, &count), ReadStatus::kEnd) << "a header alone is an empty trace";
  EXPECT_EQ(ReadAll({}, &count), ReadStatus::kBadHeader);
  EXPECT_EQ(ReadAll(std::vector<std::uint8_t>(file.begin(), file.end() - 1), &count), ReadStatus::kBadHeader);
  // The magic, the version and a header length past the end.
  for (const auto& [offset, value] : {std::pair<std::size_t, std::uint8_t>{0, 'X'}, {4, 2}, {6, 200}}) {
    auto damaged = file;
    damaged[offset] = value;
    EXPECT_EQ(ReadAll(damaged, &count), ReadStatus::kBadHeader) << offset;
  }
  kelzt::TraceFileReader reader(file);
  kelzt::Record record;
  EXPECT_EQ(reader.Next(&record), ReadStatus::kBadHeader) << "records need the header first";
}

TEST(TraceFileReader, StopsAtTruncatedAndCorruptRecordsAndSaysWhere) {
  const auto good = FileOf({"one", "two"});
  const std::size_t second = kelzt::kHeaderBytes + kelzt::kLengthFieldBytes + kelzt::kRecordFixedBytes + 3;
  int count = 0;
  std::string description;

  auto cut_in_length = std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(second) + 2);
  EXPECT_EQ(ReadAll(cut_in_length, &count, &description), ReadStatus::kTruncatedRecord);
  EXPECT_EQ(count, 1);
  EXPECT_NE(description.find("offset " + std::to_string(second)), std::string::npos) << description;

  auto cut_in_body = std::vector<std::uint8_t>(good.begin(), good.end() - 1);
  EXPECT_EQ(ReadAll(cut_in_body, &count, &description), ReadStatus::kLengthPastEnd);
  EXPECT_EQ(count, 1);
  EXPECT_NE(description.find("length 27 runs past the end"), std::string::npos) << description;

  auto huge = good;
  kelzt::StoreU32(huge.data() + second, 0xFFFFFFFFu);
  EXPECT_EQ(ReadAll(huge, &count), ReadStatus::kLengthPastEnd);

  auto too_short = good;
  kelzt::StoreU32(too_short.data() + second, 3);
  EXPECT_EQ(ReadAll(too_short, &count, &description), ReadStatus::kRecordTooShort);
  EXPECT_NE(description.find("shorter"), std::string::npos);
}

}  // namespace
