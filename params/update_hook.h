// For tests: a call made by nlspfile after it has read an existing file and before it moves the
// file to the backup name, so that a test can change the file in between. Not locked.
#ifndef KELNL_PARAMS_UPDATE_HOOK_H
#define KELNL_PARAMS_UPDATE_HOOK_H

namespace kelnl::params::update_hook {

using Callback = void (*)(void* argument);
// A null callback removes it.
void SetBeforeMove(Callback callback, void* argument);
void RunBeforeMove();

}  // namespace kelnl::params::update_hook

#endif
