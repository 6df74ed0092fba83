// kelnl resolve [--options N] [--calls N] [--seed N] [--multi] DESCRIPTOR: the addresses a client
// would try for a connect descriptor, in the order it would try them.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kelnl/kelnl.h"
#include "tools/commands.h"

namespace kelnl::tool {
namespace {

struct ResolveArguments {
  unsigned long options = 0;
  unsigned long calls = 0;  // 0: until the first call that hands out nothing
  bool seeded = false;
  std::uint32_t seed = 0;
  bool multi = false;
  const char* descriptor = nullptr;
};

int Usage() {
  std::fputs("usage: kelnl resolve [--options N] [--calls N] [--seed N] [--multi] DESCRIPTOR\n", stderr);
  return 2;
}

// Decimal, or hexadecimal with 0x, and nothing after the digits.
bool ParseNumber(const char* text, unsigned long maximum, unsigned long* value) {
  if (text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text, &end, 0);
  if (errno != 0 || *end != '\0' || parsed > maximum) return false;
  *value = static_cast<unsigned long>(parsed);
  return true;
}

bool ParseArguments(int argc, char** argv, ResolveArguments* out) {
  for (int i = 0; i < argc; ++i) {
    const char* word = argv[i];
    const bool has_value = i + 1 < argc;
    unsigned long number = 0;
    if (std::strcmp(word, "--multi") == 0) {
      out->multi = true;
    } else if (std::strcmp(word, "--options") == 0) {
      if (!has_value || !ParseNumber(argv[++i], 0xFFFF, &out->options)) return false;
    } else if (std::strcmp(word, "--calls") == 0) {
      if (!has_value || !ParseNumber(argv[++i], 1000000, &out->calls) || out->calls == 0) return false;
    } else if (std::strcmp(word, "--seed") == 0) {
      if (!has_value || !ParseNumber(argv[++i], UINT32_MAX, &number)) return false;
      out->seeded = true;
      out->seed = static_cast<std::uint32_t>(number);
    } else if (out->descriptor == nullptr && (word[0] != '-' || word[1] == '\0')) {
      out->descriptor = word;
    } else {
      return false;
    }
  }
  return out->descriptor != nullptr;
}

std::string TextOf(const NlnvBinding* binding) {
  std::size_t size = 0;
  if (binding == nullptr || nlnvszs(binding, &size) != 0) return std::string();
  std::string text(size + 1, '\0');
  std::size_t length = 0;
  nlnvcrs(binding, text.data(), text.size(), &length);
  text.resize(length);
  return text;
}

// A text that starts with '(' is a descriptor; anything else names a parameter of the started
// context, as a net service name does.
bool DescriptorText(NlGlobalContext* context, const char* argument, std::string* text) {
  const char* first = argument + std::strspn(argument, " \t");
  if (*first == '(') {
    *text = argument;
    return true;
  }
  if (context == nullptr || context->parameters == nullptr) return false;
  NlPrimaryErrorRecord record{};
  char* value = nullptr;
  std::uint32_t length = 0;
  if (nlpagsp(&record, context->parameters, argument, static_cast<std::uint32_t>(std::strlen(argument)), 0, &value,
              &length) != 0) {
    return false;
  }
  text->assign(value, length);
  return true;
}

// The generator starts from the given seed, so that the same seed gives the same order.
void Seed(NlGlobalContext* context, const ResolveArguments& arguments) {
  if (!arguments.seeded) return;
  if (context->random_state == nullptr && nlrnini(context) != 0) return;
  context->random_state->value = arguments.seed;
  context->random_state->initialised = 1;
}

bool MoreCalls(const ResolveArguments& arguments, unsigned long made, std::int32_t last) {
  return arguments.calls == 0 ? last == 0 : made < arguments.calls;
}

int ResolveSingle(NlGlobalContext* context, const std::string& text, const ResolveArguments& arguments) {
  NlAddressIterator* handle = nullptr;
  Seed(context, arguments);
  const std::int32_t started =
      nladini_t(context, &handle, text.data(), text.size(), static_cast<std::uint16_t>(arguments.options));
  if (started != 0) {
    std::printf("result: %d\n", static_cast<int>(started));
    return 1;
  }
  std::int32_t result = 0;
  for (unsigned long made = 0; MoreCalls(arguments, made, result); ++made) {
    NlnvBinding* connect = nullptr;
    NlnvBinding* forward = nullptr;
    result = nladget(handle, &connect, &forward);
    if (result == 0) {
      std::printf("connect: %s\nforward: %s\n", TextOf(connect).c_str(), TextOf(forward).c_str());
    } else {
      std::printf("result: %d\n", static_cast<int>(result));
    }
  }
  nladtrm(&handle);
  return 0;
}

int ResolveMulti(NlGlobalContext* context, const std::string& text, const ResolveArguments& arguments) {
  NlMultiAddressIterator* handle = nullptr;
  const std::uint32_t options = static_cast<std::uint32_t>(arguments.options) | NLMAD_OPTION_TEXTS;
  const std::int32_t started =
      nlmadini(context, &handle, text.data(), static_cast<std::uint32_t>(text.size()), options);
  if (started != 0) {
    std::printf("result: %d\n", static_cast<int>(started));
    return 1;
  }
  Seed(context, arguments);  // after nlmadini, which seeds from the clock
  std::int32_t result = 0;
  for (unsigned long made = 0; MoreCalls(arguments, made, result); ++made) {
    result = nlmadget(handle);
    if (result == 0) {
      std::printf("entry: %s\naddress: %s\n", handle->entry_text != nullptr ? handle->entry_text : "",
                  handle->address_text != nullptr ? handle->address_text : "");
    } else {
      std::printf("result: %d\n", static_cast<int>(result));
    }
  }
  nlmadtrm(&handle);
  return 0;
}

}  // namespace

int RunResolve(int argc, char** argv) {
  ResolveArguments arguments;
  if (!ParseArguments(argc, argv, &arguments)) return Usage();
  NlGlobalContext* context = nullptr;
  snlstdini(&context);
  std::string text;
  if (!DescriptorText(context, arguments.descriptor, &text)) {
    std::fprintf(stderr, "kelnl resolve: %s is neither a descriptor nor a parameter\n", arguments.descriptor);
    return 1;
  }
  // A state this command made goes with it; one the session had stays for later commands.
  const bool had_state = context->random_state != nullptr;
  const int status = arguments.multi ? ResolveMulti(context, text, arguments) : ResolveSingle(context, text, arguments);
  if (!had_state) nlrntrm(context);
  return std::fflush(stdout) == 0 ? status : 1;
}

}  // namespace kelnl::tool
