// snlpcsp and nlpcsp: a spawn record's program started the way its name asks for.
#include <cstdio>
#include <cstring>

#include "kelnl/nlpc.h"
#include "kelnl/nltrmsg.h"
#include "platform/core/allocator.h"
#include "platform/os/os.h"
#include "process/spawn_internal.h"
#include "process/spawn_launch.h"
#include "process/spawn_trace.h"

namespace kelnl::process {
namespace {

enum class Server { kNone, kListener, kNames, kClientCache, kPivr, kPvAdmin };

constexpr char kProductWord[] = "tarvo";
// The most of TARVO_HOME_NAME that goes in front of a threaded agent's instance name.
constexpr std::size_t kHomeNameCapacity = 260;

bool IsNamesServerPath(std::string_view program) {
  char path[kHomeCapacity + 32];
  char home[kHomeCapacity + 1];
  if (!ReadEnvironment("TARVO_HOME", home, sizeof home)) return false;
  const char separator = os::PathSeparator();
  std::snprintf(path, sizeof path, "%s%cbin%cNAMES.EXE", home, separator, separator);
  return EqualsIgnoringCase(program, path);
}

Server ServerOf(std::string_view program) {
  if (!os::IsNtFamily()) return Server::kNone;
  if (EqualsIgnoringCase(program, "VQTLSNR")) return Server::kListener;
  if (EqualsIgnoringCase(program, "NAMES.EXE") || IsNamesServerPath(program)) return Server::kNames;
  if (EqualsIgnoringCase(program, "KCACHD.EXE")) return Server::kClientCache;
  if (EqualsIgnoringCase(program, "PVGW")) return Server::kPivr;
  if (EqualsIgnoringCase(program, "PVADMIN")) return Server::kPvAdmin;
  return Server::kNone;
}

// The threaded agent runs inside a shared process that tells instances apart by home and name.
bool AgentRunsThreaded(std::string_view program) {
  if (!os::IsNtFamily() || !StartsWithIgnoringCase(program, "extproc")) return false;
  char value[6];  // five characters are read: "TRUE" and one more that must not be there
  return ReadEnvironment("KEL_EXTPROC_THREADED", value, sizeof value) && EqualsIgnoringCase(value, "TRUE");
}

// The instance name: what follows the program's name in the first argument. The copy is made
// before the first argument is blanked or joined; a threaded agent's gets the home name in front.
bool FindInstance(const char* program, char* first_argument, bool threaded, UniqueBlock<char>* instance) {
  char* found = std::strstr(first_argument, program);
  if (found == nullptr) return true;
  char* text = found + std::strlen(program);
  const std::size_t length = std::strlen(text);
  instance->reset(static_cast<char*>(Allocate(kHomeNameCapacity + length + 1)));
  if (*instance == nullptr) return false;
  char* out = instance->get();
  out[0] = '\0';
  if (threaded) {
    ReadEnvironment("TARVO_HOME_NAME", out, kHomeNameCapacity + 1);
  }
  std::strcat(out, text);
  if (threaded) LowerInPlace(out);
  if (StartsWithIgnoringCase(program, kProductWord)) std::memset(text, ' ', length);
  return true;
}

bool WaitAsked(NlnvBinding* osds) {
  static constexpr char kWaitPath[] = "OSDS/WAIT";
  const char* value = nullptr;
  std::size_t length = 0;
  if (osds == nullptr || nlnvgap(osds, kWaitPath, sizeof kWaitPath - 1, &value, &length, nullptr) != 0) return false;
  return length == 1 && value[0] == '1';
}

// The arguments joined with blanks into one command line. Arguments read from an address lie one
// after the other behind the first, so the NULs between them become blanks in place; a record a
// caller filled otherwise gets the line in a block of its own.
char* JoinArguments(char** argv, UniqueBlock<char>* joined) {
  bool adjacent = true;
  std::size_t total = 0;
  int count = 0;
  for (; argv[count] != nullptr; ++count) {
    const std::size_t length = std::strlen(argv[count]);
    if (argv[count + 1] != nullptr && argv[count + 1] != argv[count] + length + 1) adjacent = false;
    total += length + 1;
  }
  if (adjacent) {
    for (int i = 0; i + 1 < count; ++i) argv[i][std::strlen(argv[i])] = ' ';
    return argv[0];
  }
  joined->reset(static_cast<char*>(Allocate(total)));
  if (*joined == nullptr) return nullptr;
  char* next = joined->get();
  for (int i = 0; i < count; ++i) {
    const std::size_t length = std::strlen(argv[i]);
    std::memcpy(next, argv[i], length);
    next[length] = i + 1 < count ? ' ' : '\0';
    next += length + 1;
  }
  return joined->get();
}

std::int32_t StartServer(NlGlobalContext* context, Server server, char** argv, os::ProcessInformation* info) {
  switch (server) {
    case Server::kListener:
      return StartListenerService(context, argv, info);
    case Server::kNames: {
      char base[kServiceNameCapacity];
      NamesServiceBaseName(argv, base, sizeof base);
      return StartGeneralService(context, argv, "NAMES.EXE", base, info);
    }
    case Server::kClientCache:
      return StartGeneralService(context, argv, "KCACHD.EXE", "TarvoClientCache", info);
    case Server::kPivr:
      return StartGeneralService(context, argv, "PVGW.EXE", "TarvoPivr", info);
    case Server::kPvAdmin:
      return StartGeneralService(context, argv, "PVADMIN.EXE", "TarvoPVAdmin", info);
    case Server::kNone:
      break;
  }
  return -1;
}

std::int32_t Spawn(NlGlobalContext* context, NlSpawnRecord* record, SpawnTrace* trace) {
  if (record->program == nullptr || record->program_length >= NLPC_MAX_PROGRAM_LENGTH) return -1;
  // Without arguments there is no command line to start; an address always gives one.
  if (record->argv == nullptr || record->argv[0] == nullptr) return -1;
  const char* program = record->program;
  const std::string_view name(program, record->program_length);
  trace->Text(__LINE__, NLTR_SPAWN_PROGRAM, program);
  const bool threaded = AgentRunsThreaded(name);
  UniqueBlock<char> instance;
  if (!FindInstance(program, record->argv[0], threaded, &instance)) return -1;
  const Server server = ServerOf(name);
  os::ProcessInformation info{};
  std::int32_t result = -1;
  if (server != Server::kNone) {
    result = StartServer(context, server, record->argv, &info);
  } else {
    UniqueBlock<char> joined;
    char* command_line = JoinArguments(record->argv, &joined);
    if (command_line == nullptr) return -1;
    if (StartsWithIgnoringCase(name, kProductWord) || threaded) {
      result = StartThroughSpawnLibrary(command_line, instance.get(), &info);
      if (result == 0 && !os::IsNtFamily()) record->thread_handle = info.thread;
    } else if (EqualsIgnoringCase(name, "qlbxsrv")) {
      result = StartServerThread(program, &info);
    } else {
      const LaunchRequest request{program, command_line, instance.get(), record->envv, record->envc,
                                  (record->options & NLPC_OPTION_NO_DETACH) != 0, WaitAsked(record->osds)};
      result = LaunchProgram(request, &info);
    }
  }
  if (result != 0) return -1;
  record->process_id = info.process_id;
  record->thread_id = info.thread_id;
  return 0;
}

}  // namespace
}  // namespace kelnl::process

extern "C" int32_t snlpcsp(NlGlobalContext* context, NlSpawnRecord* record) {
  if (record == nullptr) return -1;
  kelnl::process::SpawnTrace trace(context, NLTR_COMPONENT_SPAWN);
  trace.Entry(__LINE__);
  const int32_t result = kelnl::process::Spawn(context, record, &trace);
  trace.Exit(__LINE__, result);
  return result;
}

extern "C" int32_t nlpcsp(NlGlobalContext* context, const char* text, uint32_t length) {
  NlnvBinding* address = nullptr;
  static constexpr char kAddress[] = "ADDRESS";
  int32_t status = nlnvcrb(text, length, &address, nullptr);
  if (status != 0) return status;
  status = nlnvcbp(nlpcptab, kAddress, sizeof kAddress - 1, &address);
  if (status == 0) {
    NlSpawnRecord record;
    status = nlpcaini(context, address, &record);
    if (status == 0) {
      status = record.program != nullptr && snlpcsp(context, &record) == 0 ? 0 : 1;
      nlpcatrm(context, &record);
    }
  }
  nlnvdeb(address);
  return status;
}
