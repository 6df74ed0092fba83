// Reading parameter files the way the system's own components read them.
#ifndef KELNL_TOOLS_PARAMETER_FILES_H
#define KELNL_TOOLS_PARAMETER_FILES_H

#include <string>

#include "kelnl/kelnl.h"

namespace kelnl::tool {

struct ParameterFile {
  NlParameterTable* table = nullptr;
  NlPrimaryErrorRecord errors{};
  std::string name;  // the name the library built and read
  int32_t result = 0;

  ParameterFile() = default;
  ParameterFile(const ParameterFile&) = delete;
  ParameterFile& operator=(const ParameterFile&) = delete;
  ~ParameterFile();
};

// Reads the file at path, or with an empty path the system parameter file (brisol.kel in the
// directory VQT_ADMIN names, else in network/admin under TARVO_HOME).
void ReadParameterFile(const std::string& path, ParameterFile* file);

// The number of parameters (one per name).
std::size_t CountParameters(NlParameterTable* table);

}  // namespace kelnl::tool

#endif
