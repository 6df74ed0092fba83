#include "tools/error_chain.h"

namespace kelnl::tool {

std::string ParameterFileErrorChain(const Messages& messages, const NlPrimaryErrorRecord& record,
                                    const std::string& file_name) {
  NlPrimaryErrorRecord scratch{};
  NlErrorStack* stack = nullptr;
  if (nlerinit(&scratch, &stack, messages.facility(), nullptr) != 0) return "kelnl: out of memory\n";
  nlerlpe(stack, &record);
  nlerrec(stack, 1, NLE_PARAMETER_FILE_ERROR, 1, 1, static_cast<int32_t>(file_name.size()), file_name.c_str());
  char text[4096];
  size_t length = 0;
  nlerbem(stack, 1, text, sizeof text, &length);
  nlerdestroy(&scratch, &stack);
  std::string chain(text, length);
  if (chain.empty() || chain.back() != '\n') chain += '\n';
  return chain;
}

}  // namespace kelnl::tool
