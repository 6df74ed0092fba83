#include "params/regression_side_file.h"

#include <cctype>
#include <cstring>
#include <string_view>

#include "kelnl/snlf.h"
#include "platform/core/core.h"
#include "platform/os/os.h"

namespace kelnl {
namespace {

// The side file of the process: its name and its open stream.
char g_side_file_name[NLPA_FILE_NAME_CAPACITY + 8];
std::FILE* g_side_file = nullptr;

// Lower-cases and drops blanks, tabs and newlines, in place; returns the new length. The whole
// text is normalised, however long.
std::uint32_t Normalise(char* text, std::uint32_t length) {
  std::uint32_t kept = 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t' || c == '\n') continue;
    text[kept++] = static_cast<char>(std::tolower(c));
  }
  text[kept] = '\0';
  return kept;
}

// brisol.kel gives brisol.file: everything after the first '.' of the file's own name becomes
// "file" (a dot in a folder name, as in app.d/brisol.kel, must not move the side file out of the
// folder). A file name without a '.' (or no name) gives no side file.
bool SideFileName(const NlParameterTable* table, char* name, std::size_t size) {
  const std::string_view path(table->first_file_name, table->first_name_length);
  const char separators[] = {os::PathSeparator(), '/', '\0'};  // Windows takes '/' as well
  const std::size_t separator = path.find_last_of(separators);
  const std::size_t leaf = separator == std::string_view::npos ? 0 : separator + 1;
  const std::size_t dot_at = path.find('.', leaf);
  if (dot_at == std::string_view::npos) return false;
  const char* dot = table->first_file_name + dot_at;
  const std::size_t stem = static_cast<std::size_t>(dot - table->first_file_name) + 1;
  if (stem + sizeof "file" > size) return false;
  std::memcpy(name, table->first_file_name, stem);
  std::memcpy(name + stem, "file", sizeof "file");
  return true;
}

bool OpenSideFileFor(const NlParameterTable* table) {
  char name[sizeof g_side_file_name];
  if (!SideFileName(table, name, sizeof name)) return false;
  if (g_side_file != nullptr && lstclo(name, g_side_file_name) == 0) return true;
  NlOsErrorRecord ignored{};
  if (g_side_file != nullptr) snlfchd(&ignored, g_side_file);
  g_side_file = nullptr;
  std::memcpy(g_side_file_name, name, sizeof name);
  return snlfohd(&ignored, SNLF_MODE_WRITE, name, static_cast<std::uint32_t>(std::strlen(name)), &g_side_file) == 0;
}

}  // namespace

bool RegressionSideFileWanted() {
  char ignored[1];
  SlCoreError error{};
  return slzgetevar(&error, "T_LDREGRESS", 11, ignored, 0, 0) >= 0;
}

void WriteRegressionLine(NlParameterTable* table, NlParamBinding* binding) {
  binding->name_length = Normalise(binding->name, binding->name_length);
  binding->value->text_length = Normalise(binding->value->text, binding->value->text_length);
  if (!OpenSideFileFor(table)) return;
  NlOsErrorRecord ignored{};
  snlfprh(&ignored, g_side_file, "%s = %s\n", binding->name, binding->value->text);
}

}  // namespace kelnl
