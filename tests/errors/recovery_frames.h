// Recovery frames linked from C, the way other components of the product link them.
#ifndef KELNL_TESTS_ERRORS_RECOVERY_FRAMES_H
#define KELNL_TESTS_ERRORS_RECOVERY_FRAMES_H

#include "kelnl/nler.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*FrameAction)(NlErrorStack *stack, void *data);

/* Runs action inside a frame linked on stack: 0 when it returned, else the delivered value. */
int RunInFrame(NlErrorStack *stack, FrameAction action, void *data);

/* Frames for a nested run: the inner action runs in a second frame inside the first. */
typedef struct NestedRun {
  FrameAction inner_action;
  int inner_result;
  int outer_continued; /* set when control came back to the outer action */
} NestedRun;
int RunNested(NlErrorStack *stack, NestedRun *run);

#ifdef __cplusplus
}
#endif

#endif
