#include "platform/ztrace/trace_file.h"

#include <cstdio>
#include <cstring>

namespace kelzt {

void EncodeHeader(std::uint8_t (&out)[kHeaderBytes], std::uint32_t process_id,
                  const char* startup_name) {
  std::memset(out, 0, sizeof out);
  std::memcpy(out, kFileMagic, sizeof kFileMagic);
  StoreU16(out + 4, kFormatVersion);
  StoreU16(out + 6, static_cast<std::uint16_t>(kHeaderBytes));
  StoreU32(out + 8, process_id);
  if (startup_name != nullptr) std::memcpy(out + 12, startup_name, kStartupNameBytes);
}

void EncodeRecordPrefix(std::uint8_t (&out)[kLengthFieldBytes + kRecordFixedBytes],
                        const RecordFields& fields, std::uint32_t record_length) {
  StoreU32(out, static_cast<std::uint32_t>(kRecordFixedBytes) + record_length);
  StoreU16(out + 4, fields.type);
  StoreU16(out + 6, 0);
  StoreU32(out + 8, fields.sequence);
  std::memcpy(out + 12, fields.key, kKeyBytes);
  StoreU64(out + 20, fields.external_argument);
}

ReadStatus TraceFileReader::ReadHeader(FileHeader* header) {
  offset_ = 0;
  const bool fits = file_.size() >= kHeaderBytes;
  const std::uint8_t* p = file_.data();
  if (!fits || std::memcmp(p, kFileMagic, sizeof kFileMagic) != 0 ||
      LoadU16(p + 4) != kFormatVersion || LoadU16(p + 6) < kHeaderBytes ||
      LoadU16(p + 6) > file_.size()) {
    failure_ = ReadStatus::kBadHeader;
    return failure_;
  }
  header->version = LoadU16(p + 4);
  header->process_id = LoadU32(p + 8);
  std::memcpy(header->startup_name, p + 12, kStartupNameBytes);
  header->startup_name[kStartupNameBytes] = '\0';
  offset_ = LoadU16(p + 6);
  return ReadStatus::kRecord;
}

ReadStatus TraceFileReader::Next(Record* record) {
  if (failure_ != ReadStatus::kRecord) return failure_;
  if (offset_ == 0) {
    failure_ = ReadStatus::kBadHeader;  // the header was never read
    return failure_;
  }
  const std::size_t left = file_.size() - offset_;
  if (left == 0) return ReadStatus::kEnd;
  if (left < kLengthFieldBytes) {
    failure_ = ReadStatus::kTruncatedRecord;
    return failure_;
  }
  const std::uint8_t* p = file_.data() + offset_;
  failed_length_ = LoadU32(p);
  // Compared without adding to the length, which a corrupt file may set near 2^32.
  if (failed_length_ > left - kLengthFieldBytes) {
    failure_ = ReadStatus::kLengthPastEnd;
    return failure_;
  }
  if (failed_length_ < kRecordFixedBytes) {
    failure_ = ReadStatus::kRecordTooShort;
    return failure_;
  }
  record->offset = offset_;
  record->type = LoadU16(p + 4);
  record->sequence = LoadU32(p + 8);
  std::memcpy(record->key, p + 12, kKeyBytes);
  record->external_argument = LoadU64(p + 20);
  record->bytes = file_.subspan(offset_ + kLengthFieldBytes + kRecordFixedBytes,
                                failed_length_ - kRecordFixedBytes);
  offset_ += kLengthFieldBytes + failed_length_;
  failed_length_ = 0;
  return ReadStatus::kRecord;
}

void DescribeReadFailure(const TraceFileReader& reader, ReadStatus status, char* buffer,
                         std::size_t size) {
  if (size == 0) return;
  const auto offset = static_cast<unsigned long long>(reader.offset());
  const auto length = static_cast<unsigned long>(reader.failed_length());
  switch (status) {
    case ReadStatus::kBadHeader:
      std::snprintf(buffer, size, "not a trace file of format version %u (bad header)",
                    static_cast<unsigned>(kFormatVersion));
      break;
    case ReadStatus::kTruncatedRecord:
      std::snprintf(buffer, size, "record at offset %llu: the file ends inside its length field",
                    offset);
      break;
    case ReadStatus::kLengthPastEnd:
      std::snprintf(buffer, size,
                    "record at offset %llu: its length %lu runs past the end of the file", offset,
                    length);
      break;
    case ReadStatus::kRecordTooShort:
      std::snprintf(buffer, size,
                    "record at offset %llu: its length %lu is shorter than a record's %u fixed bytes",
                    offset, length, static_cast<unsigned>(kRecordFixedBytes));
      break;
    case ReadStatus::kRecord:
    case ReadStatus::kEnd:
      std::snprintf(buffer, size, "no error");
      break;
  }
}

}  // namespace kelzt
