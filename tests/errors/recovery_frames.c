#include "tests/errors/recovery_frames.h"

int RunInFrame(NlErrorStack *stack, FrameAction action, void *data) {
  NlRecoveryFrame frame;
  int error = NL_RECOVERY_POINT(&frame);
  if (error != 0) return error;
  NL_RECOVERY_LINK(stack, &frame);
  action(stack, data);
  NL_RECOVERY_UNLINK(stack, &frame);
  return 0;
}

static void RunInner(NlErrorStack *stack, void *data) {
  NestedRun *run = (NestedRun *)data;
  run->inner_result = RunInFrame(stack, run->inner_action, NULL);
  run->outer_continued = 1;
}

int RunNested(NlErrorStack *stack, NestedRun *run) {
  run->inner_result = -1;
  run->outer_continued = 0;
  return RunInFrame(stack, RunInner, run);
}
