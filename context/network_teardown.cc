// The networking library's teardown: that library lies outside kelnl but must take its own state
// down with the context, after the trace is closed and before the date facility goes. It
// registers its function here; the last nlstdtrm of a context calls it.
#include <atomic>

#include "context/context_hold.h"

namespace kelnl {
namespace {

std::atomic<NlNetworkTeardown> g_network_teardown{nullptr};

}  // namespace

void RunNetworkTeardown(NlGlobalContext* context) {
  const NlNetworkTeardown teardown = g_network_teardown.load(std::memory_order_acquire);
  if (teardown != nullptr) teardown(context);
}

}  // namespace kelnl

extern "C" NlNetworkTeardown nlstdregtrm(NlNetworkTeardown teardown) {
  return kelnl::g_network_teardown.exchange(teardown, std::memory_order_acq_rel);
}
