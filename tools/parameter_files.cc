#include "tools/parameter_files.h"

#include <cstring>

#include "files/admin_file.h"

namespace kelnl::tool {

ParameterFile::~ParameterFile() {
  NlPrimaryErrorRecord ignored{};
  nlpatrm(&ignored, &table);
}

void ReadParameterFile(const std::string& path, ParameterFile* file) {
  NlFileNameDesc desc{};
  if (path.empty()) {
    desc = kelnl::files::AdminFile("brisol", "kel", true);
  } else {
    desc.base_name = path.c_str();
    desc.base_name_length = static_cast<uint32_t>(path.size());
  }
  file->result = nlpains(&file->errors, &file->table, 0, &desc, nullptr, 0, nullptr, nullptr, 0, nullptr);
  NlParamFileReport report{};
  NlPrimaryErrorRecord ignored{};
  if (file->table != nullptr && nlpainf(&ignored, file->table, &report) == 0 && report.first_name_length > 0) {
    file->name.assign(report.first_file_name, report.first_name_length);
  } else {
    file->name = path;
  }
}

std::size_t CountParameters(NlParameterTable* table) {
  std::size_t count = 0;
  NlPrimaryErrorRecord ignored{};
  int32_t state = 0;
  char* name = nullptr;
  char* value = nullptr;
  while (nlpaseq(&ignored, table, &state, &name, &value) == 0 && state != 0) ++count;
  return count;
}

}  // namespace kelnl::tool
