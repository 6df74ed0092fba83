#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/os.h"

namespace kelnl::os {

static_assert(sizeof(termios) <= sizeof(NoEchoState::saved), "terminal state storage too small");

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool StreamIsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

// Besides echo and line editing, carriage-return translation goes off, so that Enter reads as
// the carriage return a prompt waits for, as a console delivers it.
void BeginNoEcho(NoEchoState* state) {
  state->changed = false;
  termios settings{};
  if (tcgetattr(STDIN_FILENO, &settings) != 0) return;
  std::memcpy(state->saved, &settings, sizeof settings);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON);
  settings.c_iflag &= ~static_cast<tcflag_t>(ICRNL);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  state->changed = tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings) == 0;
}

void EndNoEcho(NoEchoState* state) {
  if (!state->changed) return;
  termios settings{};
  std::memcpy(&settings, state->saved, sizeof settings);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &settings);
  state->changed = false;
}

int ReadStandardInputChar() {
  unsigned char c = 0;
  ssize_t count;
  do {
    count = read(STDIN_FILENO, &c, 1);
  } while (count < 0 && errno == EINTR);
  return count == 1 ? c : -1;
}

}  // namespace kelnl::os
