// External trace files come from other processes and may be cut short or damaged: reading and
// decoding any bytes must stay within them, end with a clean result or a described fault, and
// give exactly one line per record. Inputs whose first byte is odd get a valid header in front,
// so that the records behind it are reached without the fuzzer having to find the header first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ztrace/trace_file.h"
#include "tools/trace_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file;
  if (size > 0 && (data[0] & 1) != 0) {
    std::uint8_t header[kelzt::kHeaderBytes];
    kelzt::EncodeHeader(header, 1, "FUZZ_TARGET");
    file.assign(header, header + sizeof header);
    ++data;
    --size;
  }
  file.insert(file.end(), data, data + size);

  // A text with a quote, a line feed and a conversion, to exercise the escaping.
  const auto text = [](std::uint32_t number) { return "text \"" + std::to_string(number) + "\"\n%s"; };
  std::size_t lines = 0;
  std::string error;
  const bool clean = kelnl::tool::DecodeTraceFile(
      file, text,
      [&](const std::string& line) {
        if (line.find('\n') != std::string::npos || line.empty()) std::abort();
        ++lines;
      },
      &error);
  if (!clean && error.empty()) std::abort();

  // The reader alone sees the same records: as many as were printed, plus the header line.
  kelzt::TraceFileReader reader(file);
  kelzt::FileHeader header;
  std::size_t records = 0;
  if (reader.ReadHeader(&header) == kelzt::ReadStatus::kRecord) {
    kelzt::Record record;
    while (reader.Next(&record) == kelzt::ReadStatus::kRecord) {
      if (record.offset + kelzt::kLengthFieldBytes + kelzt::kRecordFixedBytes + record.bytes.size() > file.size()) {
        std::abort();
      }
      ++records;
    }
    if (clean && lines != records + 1) std::abort();
    if (lines > records + 1) std::abort();
  } else if (lines != 0 || clean) {
    std::abort();
  }
  return 0;
}
