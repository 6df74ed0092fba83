// Calls of the external trace library as the trace bridge makes them, and reading its files back.
#ifndef KELNL_TESTS_PLATFORM_ZTRACE_TEST_SUPPORT_H
#define KELNL_TESTS_PLATFORM_ZTRACE_TEST_SUPPORT_H

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ztrace/trace_file.h"
#include "platform/ztrace/ztrace.h"

namespace kelnl::testing {

struct ZtRegistration {
  void* handle = nullptr;
  uintptr_t state = 0;

  std::int32_t Register(const char* startup_name = "STARTUPNAME") {
    return zt22_register(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, startup_name, 0, &handle,
                         ZT_TYPE_COUNT, 2, 0, 0, 0, 0, &state);
  }
  std::int32_t Configure(const std::int32_t* vector, const char* name, const std::string& config_path) {
    return zt13_configure(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, vector, name,
                          config_path.c_str(), 0, 0, &state);
  }
  std::int32_t Write(std::int32_t type, const void* record, std::uint32_t length, uintptr_t argument = 0) {
    return zt18_write(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, type, 0, record, length, 0, argument, 0, &state);
  }
  std::int32_t SetKey(const char* hex) {
    return zt8_set_key(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, hex, 3, &state);
  }
  std::int32_t Deregister() { return zt24_deregister(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, 0, 3, &state); }
  std::int32_t Terminate() { return zt16_terminate(ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3, ZT_VERSION, &state); }
  // The second 32-bit word of the handle block: 1 while the trace is on.
  std::uint32_t OnWord() const { return static_cast<const std::uint32_t*>(handle)[ZT_HANDLE_ON_WORD]; }
};

// Every type enabled, or none but the listed ones.
inline std::vector<std::int32_t> EnableVector(std::initializer_list<int> types = {}) {
  std::vector<std::int32_t> vector(ZT_TYPE_COUNT, types.size() == 0 ? 1 : 0);
  for (int type : types) vector[static_cast<std::size_t>(type)] = 1;
  return vector;
}

// The file a trace name gives in a directory for this process.
inline std::filesystem::path TraceFilePath(const std::filesystem::path& directory, const std::string& name,
                                           unsigned long process_id) {
  return directory / (name + "_" + std::to_string(process_id) + kelzt::kFileExtension);
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kelnl::testing

#endif
