#include "diagnostics/trace_decision.h"

#include <cstring>
#include <initializer_list>

namespace kelnl::diagnostics {
namespace {

constexpr std::uint32_t kEventCount = NLDT_EVENT_MASK_BYTES * 8;

bool EventEnabled(const NlTraceContext* trace, std::uint32_t event) {
  return event < kEventCount && (trace->events[event / 8] & (1u << (event % 8))) != 0;
}

bool FilterMatches(const NlTraceFilter* filter, const char* component, std::size_t component_length) {
  const std::uint32_t length = filter->name_length;
  if (length != 0 && filter->name[length - 1] == '*') {
    const std::uint32_t prefix = length - 1;
    return component_length >= prefix && std::memcmp(component, filter->name, prefix) == 0;
  }
  return component_length == length && std::memcmp(component, filter->name, length) == 0;
}

}  // namespace

bool MatchesFilterList(const NlTraceFilter* filters, const char* component) {
  if (component == nullptr) return false;
  const std::size_t component_length = std::strlen(component);
  for (const NlTraceFilter* filter = filters; filter != nullptr; filter = filter->next) {
    if (FilterMatches(filter, component, component_length)) return true;
  }
  return false;
}

RecordDecision::RecordDecision(const NlTraceContext* trace, const char* component, std::uint32_t level)
    : trace_(trace) {
  matched_ = (trace->flags & NLDT_FLAG_FILTERS) != 0 && MatchesFilterList(trace->filters, component);
  // Levels compare as the 8-bit values they are stored in.
  if (!matched_ && trace->level < static_cast<std::uint8_t>(level)) refused_ = true;
  result_ = matched_;
}

void RecordDecision::AddEvent(std::uint32_t event) {
  if (refused_ || event == 0) return;
  const bool all_required = (trace_->flags & NLDT_FLAG_ALL_EVENTS) != 0;
  if (matched_) {
    result_ = true;
  } else if (all_required || !result_) {
    result_ = EventEnabled(trace_, event);
  }
  if (all_required && !result_) refused_ = true;
}

}  // namespace kelnl::diagnostics

extern "C" int32_t nldtfire(const NlTraceContext* trace, const char* component, uint32_t level, uint32_t event1,
                            uint32_t event2, uint32_t event3) {
  if (trace == nullptr) return 0;
  kelnl::diagnostics::RecordDecision decision(trace, component, level);
  for (const std::uint32_t event : {event1, event2, event3}) decision.AddEvent(event);
  return decision.Wanted() ? 1 : 0;
}
