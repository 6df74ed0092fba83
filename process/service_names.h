// The names of the services the servers run as.
#ifndef KELNL_PROCESS_SERVICE_NAMES_H
#define KELNL_PROCESS_SERVICE_NAMES_H

#include <cstddef>

namespace kelnl::process {

// base with the value of TARVO_HOME_NAME (at most 256 characters) inserted right after the
// leading product word: "TarvoVQTListener" becomes "Tarvo" + home name + "VQTListener".
void InsertHomeName(const char* base, char* buffer, std::size_t size);

// "TarvoVQTListener" followed by the listener's name: the first argument after the program,
// before any option beginning with '-', that holds no '='; none, or "LISTENER", adds nothing.
void ListenerServiceBaseName(char** argv, char* buffer, std::size_t size);

}  // namespace kelnl::process

#endif
