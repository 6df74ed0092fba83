// Locking a global context's mutexes. A context locks only when it was started thread-safe
// (thread_context non-null); otherwise these do nothing.
#ifndef KELNL_CONTEXT_CONTEXT_LOCK_H
#define KELNL_CONTEXT_CONTEXT_LOCK_H

#include "kelnl/nlstd.h"

namespace kelnl {

void LockContextMutex(NlGlobalContext* context, NlMutex* mutex);
void UnlockContextMutex(NlGlobalContext* context, NlMutex* mutex);

// Holds one of the context's mutexes for a scope. Not for code a signal may unwind.
class ContextMutexGuard {
 public:
  ContextMutexGuard(NlGlobalContext* context, NlMutex* mutex) : context_(context), mutex_(mutex) {
    LockContextMutex(context_, mutex_);
  }
  ~ContextMutexGuard() { UnlockContextMutex(context_, mutex_); }
  ContextMutexGuard(const ContextMutexGuard&) = delete;
  ContextMutexGuard& operator=(const ContextMutexGuard&) = delete;

 private:
  NlGlobalContext* context_;
  NlMutex* mutex_;
};

// Creates the eleven mutexes with the context's thread_context, in their fixed order.
void CreateContextMutexes(NlGlobalContext* context);
// Destroys them in the same order.
void DestroyContextMutexes(NlGlobalContext* context);

}  // namespace kelnl

#endif
