#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/core/allocator.h"
#include "platform/os/os.h"
#include "platform/os/processes.h"

namespace kelnl::os {

bool IsNtFamily() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
  return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

const char* ExecutableSuffix() { return ".exe"; }

bool NamesProgramLocation(std::string_view program) {
  return program.find(':') != std::string_view::npos || (!program.empty() && program[0] == '\\');
}

const char* DebuggerCommand() { return "windbg"; }

bool ProductLibraryFileName(const char* base_name, char* buffer, std::size_t size) {
  const int written = std::snprintf(buffer, size, "%s.DLL", base_name);
  return written > 0 && static_cast<std::size_t>(written) < size;
}

bool SpawnTakesAddressEnvironment() { return false; }
char** EnvironmentList() { return nullptr; }

char* CopyEnvironmentBlock() {
  char* strings = GetEnvironmentStrings();
  if (strings == nullptr) return nullptr;
  const char* end = strings;
  while (*end != '\0') end += std::strlen(end) + 1;
  const std::size_t size = static_cast<std::size_t>(end - strings) + 1;
  auto* block = static_cast<char*>(Allocate(size));
  if (block != nullptr) std::memcpy(block, strings, size);
  FreeEnvironmentStringsA(strings);
  return block;
}

bool StartProcess(const char* executable, const char* command_line, const char* environment_block, unsigned flags,
                  ProcessInformation* info, std::uint32_t* error) {
  *info = ProcessInformation{};
  // CreateProcessA may write into the command line.
  UniqueBlock<char> line;
  if (command_line != nullptr) {
    const std::size_t size = std::strlen(command_line) + 1;
    line.reset(static_cast<char*>(Allocate(size)));
    if (line == nullptr) {
      *error = ERROR_NOT_ENOUGH_MEMORY;
      return false;
    }
    std::memcpy(line.get(), command_line, size);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  DWORD creation = 0;
  if ((flags & kDetached) != 0) creation |= DETACHED_PROCESS;
  if ((flags & kNewConsole) != 0) creation |= CREATE_NEW_CONSOLE;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(executable, line.get(), nullptr, nullptr, (flags & kInheritHandles) != 0, creation,
                      const_cast<char*>(environment_block), nullptr, &startup, &started)) {
    *error = GetLastError();
    return false;
  }
  if ((flags & kWaitForEnd) != 0) WaitForSingleObject(started.hProcess, INFINITE);
  *info = ProcessInformation{started.hProcess, started.hThread, started.dwProcessId, started.dwThreadId};
  return true;
}

bool ProcessHasEnded(void* process) { return WaitForSingleObject(process, 0) != WAIT_TIMEOUT; }

void CloseProcessHandle(void* handle) {
  if (handle != nullptr) CloseHandle(handle);
}

}  // namespace kelnl::os
