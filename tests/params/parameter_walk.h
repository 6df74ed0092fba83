// Reading a parameter table back in tests: every parameter the walk hands out, and the value
// behind one name as the table stores it.
#ifndef KELNL_TESTS_PARAMS_PARAMETER_WALK_H
#define KELNL_TESTS_PARAMS_PARAMETER_WALK_H

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "kelnl/nlpa.h"
#include "params/parameter_store.h"

namespace kelnl::testing {

using Params = std::map<std::string, std::string>;

// One name per parameter, by its newest spelling (every spelling when case-sensitive).
inline Params WalkParameters(NlParameterTable* table) {
  Params parameters;
  NlPrimaryErrorRecord record{};
  int32_t state = 0;
  char* name = nullptr;
  char* value = nullptr;
  while (nlpaseq(&record, table, &state, &name, &value) == 0 && state != 0) parameters[name] = value;
  EXPECT_EQ(value, nullptr) << "the end of a walk hands out no value";
  return parameters;
}

// The stored text of the newest spelling, NUL characters included; "<absent>" without one (or
// without a table).
inline std::string StoredValue(NlParameterTable* table, const std::string& name) {
  const NlParamEntry* entry =
      table == nullptr ? nullptr : kelnl::FindEntry(table, name.data(), static_cast<uint32_t>(name.size()));
  if (entry == nullptr) return "<absent>";
  return std::string(entry->bindings->value->text, entry->bindings->value->text_length);
}

}  // namespace kelnl::testing

#endif
