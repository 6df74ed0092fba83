#include <conio.h>
#include <io.h>
#include <windows.h>

#include "platform/os/os.h"

namespace kelnl::os {

bool StandardInputIsTerminal() { return _isatty(0) != 0; }

bool StreamIsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

// The console reads without echo through _getch, so there is no mode to switch.
void BeginNoEcho(NoEchoState* state) { state->changed = false; }

void EndNoEcho(NoEchoState*) {}

int ReadStandardInputChar() {
  if (_isatty(0) != 0) return _getch();
  unsigned char c = 0;
  return _read(0, &c, 1) == 1 ? c : -1;
}

}  // namespace kelnl::os
