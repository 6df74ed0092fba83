// kelnl trace: reading external trace files and naming trace levels.
//   kelnl trace decode FILE   prints the records of a file written by the external trace library
//   kelnl trace levels        lists the level names and their numbers
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kelnl/kelnl.h"
#include "tools/commands.h"
#include "tools/messages.h"
#include "tools/trace_records.h"

namespace kelnl::tool {
namespace {

constexpr std::int32_t kTraceFacility = 37;
constexpr std::uint32_t kHighestLevel = 16;

int Usage() {
  std::fputs("usage: kelnl trace decode FILE\n       kelnl trace levels\n", stderr);
  return 2;
}

// The bare text of a trace message, without the "NLT-nnnnn: " prefix.
std::string TraceText(const Messages& messages, std::uint32_t number) {
  if (!messages.ready()) return "";
  NlPrimaryErrorRecord record{};
  char text[1024];
  std::size_t length = 0;
  if (nlemgmz(&record, messages.facility(), kTraceFacility, number, 0, 0, 0, 0, text, sizeof text, &length) != 0) {
    return "";
  }
  return std::string(text, length);
}

int Decode(const char* file_name) {
  std::ifstream in(file_name, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "kelnl trace decode: cannot open %s\n", file_name);
    return 1;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    std::fprintf(stderr, "kelnl trace decode: cannot read %s\n", file_name);
    return 1;
  }
  const Messages messages;
  std::string error;
  const bool clean = DecodeTraceFile(
      bytes, [&](std::uint32_t number) { return TraceText(messages, number); },
      [](const std::string& line) { std::printf("%s\n", line.c_str()); }, &error);
  if (!clean) {
    std::fflush(stdout);
    std::fprintf(stderr, "kelnl trace decode: %s: %s\n", file_name, error.c_str());
    return 1;
  }
  return 0;
}

// Each named level once, read back from the library's own table: the name of a level is listed
// when the name converts back to that level.
int Levels() {
  for (std::uint32_t level = 0; level <= kHighestLevel; ++level) {
    const char* name = nullptr;
    std::uint32_t length = 0;
    nldtlv2str(nullptr, level, &name, &length);
    NlPrimaryErrorRecord record{};
    if (name != nullptr && nldtstr2lv(&record, name, length) == level) {
      std::printf("%-9.*s %u\n", static_cast<int>(length), name, level);
    }
  }
  return 0;
}

}  // namespace

int RunTrace(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[0], "decode") == 0) return Decode(argv[1]);
  if (argc == 1 && std::strcmp(argv[0], "levels") == 0) return Levels();
  return Usage();
}

}  // namespace kelnl::tool
