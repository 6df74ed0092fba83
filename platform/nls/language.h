// What the message files need to know about a language.
#ifndef KELNL_PLATFORM_NLS_LANGUAGE_H
#define KELNL_PLATFORM_NLS_LANGUAGE_H

#include <cstdint>

#include "kelnl/nlem.h"

namespace kelnl::nls {

struct LanguageDefinition {
  std::uint32_t id;
  char code[4];      // the part of a message file name after the facility
  const char* name;
};

// The language of a handle from lxhcurrlangid, or else of a prepared context; null for neither.
const LanguageDefinition* LanguageOf(const void* handle, const NlLanguageContext* context);

}  // namespace kelnl::nls

#endif
