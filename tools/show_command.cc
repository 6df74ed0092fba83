// kelnl show [-f FILE] [NAME [INDEX]]: the parameters of a parameter file, or one of them.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tools/commands.h"
#include "tools/error_chain.h"
#include "tools/messages.h"
#include "tools/parameter_files.h"
#include "tools/session.h"

namespace kelnl::tool {
namespace {

struct ShowArguments {
  std::string file;  // empty: the system parameter file
  const char* name = nullptr;
  long index = 0;
};

// An element index is a decimal number from 0 to the largest the table takes (2147483647); a
// larger one must not wrap round to a small index that exists.
bool ParseIndex(const char* text, long* index) {
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || parsed < 0 || parsed > INT32_MAX) {
    std::fprintf(stderr, "kelnl show: the index must be a number from 0 to %d, not %s\n", INT32_MAX, text);
    return false;
  }
  *index = static_cast<long>(parsed);
  return true;
}

bool ParseArguments(int argc, char** argv, ShowArguments* out) {
  int i = 0;
  if (i < argc && std::strcmp(argv[i], "-f") == 0) {
    if (i + 1 >= argc) return false;
    out->file = argv[i + 1];
    i += 2;
  }
  if (i < argc) out->name = argv[i++];
  if (i < argc && !ParseIndex(argv[i++], &out->index)) return false;
  return i == argc;
}

// Every parameter as name = value, sorted by name so that scripts get stable output.
void ShowAll(NlParameterTable* table) {
  std::vector<std::pair<std::string, std::string>> parameters;
  NlPrimaryErrorRecord ignored{};
  int32_t state = 0;
  char* name = nullptr;
  char* value = nullptr;
  while (nlpaseq(&ignored, table, &state, &name, &value) == 0 && state != 0) parameters.emplace_back(name, value);
  std::sort(parameters.begin(), parameters.end());
  for (const auto& [parameter, text] : parameters) std::printf("%s = %s\n", parameter.c_str(), text.c_str());
}

int ShowOne(const Messages& messages, NlParameterTable* table, const ShowArguments& arguments) {
  NlPrimaryErrorRecord record{};
  char* value = nullptr;
  uint32_t length = 0;
  const int32_t code = nlpagsp(&record, table, arguments.name, static_cast<uint32_t>(std::strlen(arguments.name)),
                               static_cast<int32_t>(arguments.index), &value, &length);
  if (code != 0) {
    std::fprintf(stderr, "%s: %s\n", messages.Text(1, static_cast<uint32_t>(code)).c_str(), arguments.name);
    return 1;
  }
  std::printf("%.*s\n", static_cast<int>(length), value);
  return 0;
}

}  // namespace

int RunShow(int argc, char** argv) {
  ShowArguments arguments;
  if (!ParseArguments(argc, argv, &arguments)) {
    std::fputs("kelnl show: usage: kelnl show [-f FILE] [NAME [INDEX]]\n", stderr);
    return 2;
  }
  Messages messages;
  if (!messages.ready()) return 1;
  // Without a file: the parameters the session runs with (system file, local file and -p), unless
  // a source had errors, which the file's own reading then reports.
  const Session* session = CurrentSession();
  if (arguments.file.empty() && session != nullptr && session->context()->parameters != nullptr &&
      session->startup().system_status != NLSTD_STATUS_READ_WITH_ERRORS &&
      session->startup().local_status != NLSTD_STATUS_READ_WITH_ERRORS &&
      session->startup().cmdline_status != NLSTD_STATUS_READ_WITH_ERRORS) {
    NlParameterTable* table = session->context()->parameters;
    if (arguments.name == nullptr) {
      ShowAll(table);
      return 0;
    }
    return ShowOne(messages, table, arguments);
  }
  ParameterFile file;
  ReadParameterFile(arguments.file, &file);
  if (file.errors.count != 0) {
    std::fputs(ParameterFileErrorChain(messages, file.errors, file.name).c_str(), stderr);
    return 1;
  }
  if (arguments.name == nullptr) {
    ShowAll(file.table);
    return 0;
  }
  return ShowOne(messages, file.table, arguments);
}

}  // namespace kelnl::tool
