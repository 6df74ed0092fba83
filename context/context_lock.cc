#include "context/context_lock.h"

#include <cstddef>

#include "platform/core/core.h"

namespace kelnl {
namespace {

// Creation and destruction share one order, by the mutexes' ordinals in the record
// (1 = context_mutex ... 10 = startup_mutex, 11 = trace_mutex): 1, 2, 6, 3, 7, 4, 9, 8, 5, 10, 11.
constexpr NlMutex NlGlobalContext::*kMutexOrder[] = {
    &NlGlobalContext::context_mutex, &NlGlobalContext::mutex_2, &NlGlobalContext::mutex_6,
    &NlGlobalContext::mutex_3,       &NlGlobalContext::mutex_7, &NlGlobalContext::mutex_4,
    &NlGlobalContext::mutex_9,       &NlGlobalContext::mutex_8, &NlGlobalContext::mutex_5,
    &NlGlobalContext::startup_mutex, &NlGlobalContext::trace_mutex,
};

}  // namespace

void LockContextMutex(NlGlobalContext* context, NlMutex* mutex) {
  if (context != nullptr && context->thread_context != nullptr) sltsmna(context->thread_context, mutex);
}

void UnlockContextMutex(NlGlobalContext* context, NlMutex* mutex) {
  if (context != nullptr && context->thread_context != nullptr) sltsmnr(context->thread_context, mutex);
}

void CreateContextMutexes(NlGlobalContext* context) {
  for (auto member : kMutexOrder) sltsmxi(context->thread_context, &(context->*member));
}

void DestroyContextMutexes(NlGlobalContext* context) {
  for (auto member : kMutexOrder) sltsmxd(context->thread_context, &(context->*member));
}

}  // namespace kelnl
