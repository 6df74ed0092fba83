// The server data library for the tests: the server is reached through its request block, so the
// start address is only a token and is there from the start.
#include <cstdint>

extern "C" {
__attribute__((visibility("default"))) std::uintptr_t StartAddr = 0x1000;
}
