// The password prompt: reads a password from the keyboard without echo.
#include <cstdio>

#include "kelnl/snlpc.h"
#include "platform/os/os.h"
#include "util/os_error_record.h"

namespace {

constexpr uint32_t kLongestPrompt = 50;
constexpr uint32_t kLongestPassword = 30;
constexpr int kCarriageReturn = 13;
constexpr int kNewline = 10;

int32_t Fail(NlOsErrorRecord* err, int32_t code) {
  if (err != nullptr) err->operation = static_cast<uint32_t>(code);
  return code;
}

// Reads until Enter or until the buffer is full. A NUL from the keyboard (the first half of a
// function-key code) is skipped. Besides the carriage return, a newline or the end of input also
// ends the password: input that is not a console (a pipe, a file) ends its lines so.
uint32_t ReadPassword(char* buffer, uint32_t size) {
  buffer[size - 1] = '\0';
  kelnl::os::NoEchoState terminal{};
  kelnl::os::BeginNoEcho(&terminal);
  uint32_t count = 0;
  while (count < size - 1) {
    const int c = kelnl::os::ReadStandardInputChar();
    if (c < 0 || c == kCarriageReturn || c == kNewline) {
      buffer[count] = '\0';
      break;
    }
    if (c != 0) buffer[count++] = static_cast<char>(c);
  }
  kelnl::os::EndNoEcho(&terminal);
  return count;
}

}  // namespace

extern "C" int32_t snlpspr_prompt_pw(NlOsErrorRecord* err, const char* prompt, uint32_t prompt_length,
                                     char* buffer, uint32_t size, uint32_t* count, int32_t need_tty) {
  kelnl::ClearOsError(err);
  if (count != nullptr) *count = 0;
  if (prompt_length > kLongestPrompt) return Fail(err, NL_PROMPT_TOO_LONG);
  std::printf("%s", prompt == nullptr ? "" : prompt);
  std::fflush(stdout);
  if (need_tty != 0 && !kelnl::os::StandardInputIsTerminal()) return Fail(err, NL_PROMPT_NOT_A_TERMINAL);
  const uint32_t read = buffer == nullptr || size == 0 ? 0 : ReadPassword(buffer, size);
  std::printf("\n");
  std::fflush(stdout);
  if (read > kLongestPassword) return Fail(err, NL_PROMPT_PASSWORD_TOO_LONG);
  if (count != nullptr) *count = read;
  return 0;
}
