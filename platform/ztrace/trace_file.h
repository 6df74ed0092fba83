// The binary trace file that kelzt writes, and a reader for it.
//
// A file is named <last component of the trace name>_<process id>.ztr and lies in the directory
// of the configuration path given at configuration. Integers are little-endian, nothing is padded.
//
//   header, 24 bytes:
//     "KZTF"                     4 bytes
//     format version (1)         16 bits
//     header length (24)         16 bits; a reader skips any bytes beyond the 24 it knows
//     process id                 32 bits
//     startup name               12 bytes: the 11 characters given at registration and a NUL
//   then records, each:
//     length                     32 bits: the bytes that follow, at least 24
//     type                       16 bits: the record type the bridge passed (0 to 13)
//     reserved (0)               16 bits
//     sequence                   32 bits: 1, 2, ... within one registration
//     key                        8 bytes: the key last set for the registration (zero before)
//     external argument          64 bits: the caller's word passed with the record
//     record                     length - 24 bytes: the bridge's record, byte for byte
//
// Records are appended whole under the registration's lock, so a file that a writer did not
// finish ends at a record boundary, or (after a crash or a full disk) inside its last record.
#ifndef KELNL_PLATFORM_ZTRACE_TRACE_FILE_H
#define KELNL_PLATFORM_ZTRACE_TRACE_FILE_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelzt {

inline constexpr char kFileMagic[4] = {'K', 'Z', 'T', 'F'};
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kHeaderBytes = 24;
inline constexpr std::size_t kStartupNameBytes = 11;
inline constexpr std::size_t kLengthFieldBytes = 4;
// The fixed fields between a record's length and the bridge's bytes.
inline constexpr std::size_t kRecordFixedBytes = 24;
inline constexpr std::size_t kKeyBytes = 8;
inline constexpr char kFileExtension[] = ".ztr";

// Writing: the header of a new file, and the 28 bytes in front of each record's bytes.
void EncodeHeader(std::uint8_t (&out)[kHeaderBytes], std::uint32_t process_id,
                  const char* startup_name);
struct RecordFields {
  std::uint16_t type = 0;
  std::uint32_t sequence = 0;
  std::uint8_t key[kKeyBytes] = {};
  std::uint64_t external_argument = 0;
};
void EncodeRecordPrefix(std::uint8_t (&out)[kLengthFieldBytes + kRecordFixedBytes],
                        const RecordFields& fields, std::uint32_t record_length);

// Reading. Every failure says where it happened; none reads outside the given bytes.
enum class ReadStatus {
  kRecord,             // a record was read
  kEnd,                // the file ends after the last record
  kBadHeader,          // not a kelzt trace file, or a version this reader does not know
  kTruncatedRecord,    // the file ends inside a record's length field
  kLengthPastEnd,      // a record's length runs past the end of the file
  kRecordTooShort,     // a record's length cannot hold its fixed fields
};

struct FileHeader {
  std::uint16_t version = 0;
  std::uint32_t process_id = 0;
  char startup_name[kStartupNameBytes + 1] = {};
};

struct Record : RecordFields {
  std::size_t offset = 0;                // of the record's length field in the file
  std::span<const std::uint8_t> bytes;   // the bridge's record
};

class TraceFileReader {
 public:
  explicit TraceFileReader(std::span<const std::uint8_t> file) : file_(file) {}

  // Reads the header; must come first.
  ReadStatus ReadHeader(FileHeader* header);
  // The next record, or kEnd. After a failure every later call gives the same failure.
  ReadStatus Next(Record* record);
  // Where the last failure or the next record lies.
  std::size_t offset() const { return offset_; }
  // The length field of the record that failed (for kLengthPastEnd and kRecordTooShort).
  std::uint32_t failed_length() const { return failed_length_; }

 private:
  std::span<const std::uint8_t> file_;
  std::size_t offset_ = 0;
  std::uint32_t failed_length_ = 0;
  ReadStatus failure_ = ReadStatus::kRecord;
};

// A one-line description of a failure, such as "record at offset 52: its length 90 runs past
// the end of the file (40 bytes left)", into buffer (always terminated).
void DescribeReadFailure(const TraceFileReader& reader, ReadStatus status, char* buffer,
                         std::size_t size);

// Little-endian access shared by the writer, the reader and decoders of the bridge's records.
inline std::uint16_t LoadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t LoadU64(const std::uint8_t* p) {
  return LoadU32(p) | (static_cast<std::uint64_t>(LoadU32(p + 4)) << 32);
}
inline void StoreU16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void StoreU32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void StoreU64(std::uint8_t* p, std::uint64_t value) {
  StoreU32(p, static_cast<std::uint32_t>(value));
  StoreU32(p + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace kelzt

#endif
