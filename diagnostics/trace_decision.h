// Whether a trace record is wanted: by the component filter list, the level and the events.
#ifndef KELNL_DIAGNOSTICS_TRACE_DECISION_H
#define KELNL_DIAGNOSTICS_TRACE_DECISION_H

#include <cstdint>

#include "kelnl/nldt.h"

namespace kelnl::diagnostics {

// Fed the record's event numbers one by one (zeros are skipped), it tells whether the record
// is wanted. Records may list any number of events, so the events are not collected first.
class RecordDecision {
 public:
  RecordDecision(const NlTraceContext* trace, const char* component, std::uint32_t level);
  // True once the answer is no whatever events follow.
  bool Refused() const { return refused_; }
  void AddEvent(std::uint32_t event);
  bool Wanted() const { return !refused_ && result_; }

 private:
  const NlTraceContext* trace_;
  bool matched_ = false;
  bool refused_ = false;
  bool result_ = false;
};

// A filter name ending in '*' matches every component that starts with what comes before the
// star; any other name only the whole component, case and all. A null component never matches.
bool MatchesFilterList(const NlTraceFilter* filters, const char* component);

}  // namespace kelnl::diagnostics

#endif
