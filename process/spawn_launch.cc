#include "process/spawn_launch.h"

#include <cstdio>
#include <cstring>

#include "platform/core/allocator.h"
#include "platform/os/os.h"
#include "process/spawn_internal.h"

namespace kelnl::process {
namespace {

constexpr char kSidVariable[] = "TARVO_SID";

// The entry of the block that mentions TARVO_SID last, or null.
const char* LastSidEntry(const char* block) {
  const char* last = nullptr;
  for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
    if (std::strstr(entry, kSidVariable) != nullptr) last = entry;
  }
  return last;
}

std::size_t BlockLength(const char* block) {
  const char* entry = block;
  while (*entry != '\0') entry += std::strlen(entry) + 1;
  return static_cast<std::size_t>(entry - block);
}

char* Append(char* out, const char* text) {
  const std::size_t size = std::strlen(text) + 1;
  std::memcpy(out, text, size);
  return out + size;
}

bool DebuggerAsked() {
  char value[2];
  return ReadEnvironment("DEBUG_SPAWNING", value, sizeof value) && (value[0] == 'y' || value[0] == 'Y');
}

// A program named without a location lives in the product home's bin directory.
bool ExecutableName(const char* program, char* buffer, std::size_t size) {
  const char* suffix = os::ExecutableSuffix();
  int written = 0;
  if (!os::NamesProgramLocation(program)) {
    char home[kHomeCapacity + 1];
    if (!ReadEnvironment("TARVO_HOME", home, sizeof home)) return false;
    const char separator = os::PathSeparator();
    written = std::snprintf(buffer, size, "%s%cbin%c%s%s", home, separator, separator, program, suffix);
  } else if (suffix[0] == '\0' || std::strstr(program, ".exe") != nullptr || std::strstr(program, ".EXE") != nullptr) {
    written = std::snprintf(buffer, size, "%s", program);
  } else {
    written = std::snprintf(buffer, size, "%s%s", program, suffix);
  }
  return written > 0 && static_cast<std::size_t>(written) < size;
}

std::int32_t LaunchUnderDebugger(const LaunchRequest& request, os::ProcessInformation* info) {
  const std::size_t size = std::strlen(os::DebuggerCommand()) + std::strlen(request.command_line) + 2;
  UniqueBlock<char> line(static_cast<char*>(Allocate(size)));
  if (line == nullptr) return -1;
  std::snprintf(line.get(), size, "%s %s", os::DebuggerCommand(), request.command_line);
  if (std::strlen(line.get()) > os::kMaximumCommandLine) return -1;
  unsigned flags = os::kInheritHandles | (request.no_detach ? os::kNewConsole : os::kDetached);
  if (request.no_detach || request.wait_asked) flags |= os::kWaitForEnd;
  std::uint32_t error = 0;
  if (!os::StartProcess(nullptr, line.get(), nullptr, flags, info, &error)) return -1;
  os::CloseProcessHandle(info->process);
  os::CloseProcessHandle(info->thread);
  return 0;
}

}  // namespace

char* BuildEnvironmentBlock(const char* instance, char** address_environment, std::int32_t count) {
  UniqueBlock<char> caller(os::CopyEnvironmentBlock());
  if (caller == nullptr) return nullptr;
  const char* skipped = instance != nullptr ? LastSidEntry(caller.get()) : nullptr;
  std::size_t size = BlockLength(caller.get()) + 1;
  if (instance != nullptr) size += sizeof kSidVariable + std::strlen(instance) + 1;
  for (std::int32_t i = 0; i < count; ++i) size += std::strlen(address_environment[i]) + 1;
  auto* block = static_cast<char*>(Allocate(size));
  if (block == nullptr) return nullptr;
  char* out = block;
  if (instance != nullptr) {
    out += std::snprintf(out, size, "%s=%s", kSidVariable, instance) + 1;
  }
  for (std::int32_t i = 0; i < count; ++i) out = Append(out, address_environment[i]);
  for (const char* entry = caller.get(); *entry != '\0'; entry += std::strlen(entry) + 1) {
    if (entry != skipped) out = Append(out, entry);
  }
  *out = '\0';
  return block;
}

std::int32_t LaunchProgram(const LaunchRequest& request, os::ProcessInformation* info) {
  if (std::strlen(request.command_line) > os::kMaximumCommandLine) return -1;
  if (DebuggerAsked()) return LaunchUnderDebugger(request, info);
  char executable[kHomeCapacity + NLPC_MAX_PROGRAM_LENGTH + 16];
  if (!ExecutableName(request.program, executable, sizeof executable)) return -1;
  UniqueBlock<char> environment;
  if (request.instance != nullptr || request.address_environment_count > 0) {
    environment.reset(BuildEnvironmentBlock(request.instance, request.address_environment,
                                            request.address_environment_count));
    if (environment == nullptr) return -1;
  }
  std::uint32_t error = 0;
  if (!os::StartProcess(executable, request.command_line, environment.get(), os::kInheritHandles | os::kDetached,
                        info, &error)) {
    return -1;
  }
  os::CloseProcessHandle(info->process);
  os::CloseProcessHandle(info->thread);
  return 0;
}

}  // namespace kelnl::process
