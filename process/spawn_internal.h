// Pieces of the spawn shared between its files.
#ifndef KELNL_PROCESS_SPAWN_INTERNAL_H
#define KELNL_PROCESS_SPAWN_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kelnl/nlpc.h"
#include "platform/os/processes.h"

namespace kelnl::process {

// The most of TARVO_HOME that goes into a built path.
inline constexpr std::size_t kHomeCapacity = 1024;
// Room for a service name: the base, a home name and a listener name of 256 characters each.
inline constexpr std::size_t kServiceNameCapacity = 800;

// Splits an ENVS text in place into its NAME=value items: a value may hold commas, so an item
// ends at the last comma before the next '='; a trailing piece after the last comma without '='
// is cut off with that comma. items (room for at least the text's commas + 1 entries) receives
// pointers into text; returns their count. The commas that end items become NULs.
std::int32_t SplitEnvironmentText(char* text, std::size_t length, char** items);

// ASCII comparisons ignoring case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
void LowerInPlace(char* text);

// Reads an environment variable into buffer (size bytes) as a terminated text of at most
// size - 1 bytes; false when it is not set.
bool ReadEnvironment(const char* name, char* buffer, std::size_t size);

// The two ways the servers started as services are started: the listener, whose service name
// carries the listener's name, and the others by executable and base service name. argv is the
// spawn's argument list (not joined). 0 with info filled, or -1.
std::int32_t StartListenerService(NlGlobalContext* context, char** argv, os::ProcessInformation* info);
std::int32_t StartGeneralService(NlGlobalContext* context, char** argv, const char* executable,
                                 const char* base_service_name, os::ProcessInformation* info);

// The names server's service name: "TarvoNames" and names.server_name from the names parameter
// file (an ifile argument's file, else NAMES.kel of the administration directory).
void NamesServiceBaseName(char** argv, char* buffer, std::size_t size);

// Starts program in the long-lived qlbxsrv server process as a new thread. 0 or -1.
std::int32_t StartServerThread(const char* program, os::ProcessInformation* info);

// Starts a program through the spawning library's entry "SpawnTarvo" with the command line and
// the instance name (null: none). 0 or -1.
std::int32_t StartThroughSpawnLibrary(char* command_line, char* instance, os::ProcessInformation* info);

}  // namespace kelnl::process

#endif
