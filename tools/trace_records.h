// Decoding the records of an external trace file into one line each, as `kelnl trace decode`
// prints them. Independent of the library: message texts come from the caller.
#ifndef KELNL_TOOLS_TRACE_RECORDS_H
#define KELNL_TOOLS_TRACE_RECORDS_H

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ztrace/trace_file.h"

namespace kelnl::tool {

// The text of a message of the trace message file.
using TraceMessageText = std::function<std::string(std::uint32_t number)>;

// One record as a line (without a line feed), for example
//   #3 detail-low component 1101 "nldtopen" line 120 message 18301 "trace file: %s" args "a.trc" events 1
//   #4 dump component 1002 "nldtotrc" line 88 value 9 length 3 events 5,14 data 41 42 43
//   #5 key 0123456789abcdef
// False, with *error describing the fault, when the bytes do not hold the layout of their type.
bool DecodeTraceRecord(const kelzt::Record& record, const TraceMessageText& text, std::string* line,
                       std::string* error);

// A whole trace file: the header line, then one line per record, handed to emit one by one.
// Stops at the first fault of the file or of a record, with *error saying where; true at a
// clean end.
bool DecodeTraceFile(std::span<const std::uint8_t> file, const TraceMessageText& text,
                     const std::function<void(const std::string&)>& emit, std::string* error);

}  // namespace kelnl::tool

#endif
