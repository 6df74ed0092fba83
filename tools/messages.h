// The message facility of the kelnl program: every facility the library reports under, with
// the trace message file added.
#ifndef KELNL_TOOLS_MESSAGES_H
#define KELNL_TOOLS_MESSAGES_H

#include <cstdint>
#include <string>

#include "kelnl/kelnl.h"

namespace kelnl::tool {

class Messages {
 public:
  Messages();
  ~Messages();
  Messages(const Messages&) = delete;
  Messages& operator=(const Messages&) = delete;

  bool ready() const { return facility_ != nullptr; }
  NlMessageFacility* facility() const { return facility_; }
  // "FAC-NNNNN: text" of a message (the text alone without the prefix); empty when the facility
  // is not registered.
  std::string Text(std::int32_t facility_number, std::uint32_t error, bool with_prefix = true) const;
  // True when the message file has a text for the number (not the placeholder for a missing one).
  bool Known(std::int32_t facility_number, std::uint32_t error) const;

 private:
  NlMessageFacility* facility_ = nullptr;
};

// Facility numbers by message prefix: NL 1, SNL 3, KEL 22, NLT 37; -1 for another prefix.
std::int32_t FacilityOfPrefix(const std::string& prefix);

}  // namespace kelnl::tool

#endif
