#include "params/update_hook.h"

namespace kelnl::params::update_hook {
namespace {

Callback before_move = nullptr;
void* before_move_argument = nullptr;

}  // namespace

void SetBeforeMove(Callback callback, void* argument) {
  before_move = callback;
  before_move_argument = argument;
}

void RunBeforeMove() {
  if (before_move != nullptr) before_move(before_move_argument);
}

}  // namespace kelnl::params::update_hook
