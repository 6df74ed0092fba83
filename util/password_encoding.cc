// nlpspen: a password encoded with the library's fixed key, for storing in files.
#include <cstring>

#include "kelnl/nler.h"
#include "kelnl/nlerrors.h"
#include "kelnl/snlpc.h"
#include "platform/core/core.h"

namespace {

// The library's fixed key: nine lower-case letters.
constexpr char kFixedKey[] = "quillmoth";
constexpr std::int32_t kBlockSize = 16;
constexpr std::int32_t kMethod = 3;

}  // namespace

extern "C" int32_t nlpspen(NlGlobalContext* context, const char* password, char* out, uint32_t* out_length) {
  NlErrorStack* stack = context == nullptr ? nullptr : context->error_stack;
  if (out == nullptr || password == nullptr || password[0] == '\0') {
    nlerrec(stack, 1, NLE_PASSWORD_MISSING, 0);
    return NLE_PASSWORD_MISSING;
  }
  if (lncupwe(out_length, kBlockSize, password, out, kFixedKey, kMethod, 0) == 0) {
    nlerrec(stack, 1, NLE_PASSWORD_ENCODING_FAILED, 0);
    return NLE_PASSWORD_ENCODING_FAILED;
  }
  return 0;
}
