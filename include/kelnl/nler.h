/* The error stack of a global context: (facility, error, arguments) entries, recovery frames to
 * which a signalled error transfers control, and the printing of the chain of entries. */
#ifndef KELNL_NLER_H
#define KELNL_NLER_H

#include <setjmp.h>

#include "nlbase.h"
#include "nlep.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

struct NlDiagStream;
struct NlMessageFacility;

#define NL_ERROR_STACK_ENTRIES 8
#define NL_ERROR_ARG_TEXT_BYTES 512
#define NL_ERROR_MESSAGE_ARGS 7 /* arguments a printed message can show */

/* How an entry was pushed; stored for readers of the record, never read by the library. */
#define NL_ERROR_KIND_RECORDED 2
#define NL_ERROR_KIND_INTERNAL 3
#define NL_ERROR_KIND_SIGNALLED 4
#define NL_ERROR_KIND_INTERNAL_SIGNALLED 5
#define NL_ERROR_KIND_FATAL 8

/* Argument kinds of the variable argument lists below: each argument is a 32-bit kind followed
 * by either an unsigned 32-bit number (stored as its decimal text) or a 32-bit length (its low
 * 16 bits are used) and a pointer to that many bytes (copied). */
#define NL_ERROR_ARG_NUMBER 0
#define NL_ERROR_ARG_TEXT 1

/* A recovery point. The link comes first so that every component of the product can link its
 * own frames into a stack's chain. Usually lives on its owner's (C) stack frame. */
typedef struct NlRecoveryFrame {
  struct NlRecoveryFrame *link;
  jmp_buf jump;
} NlRecoveryFrame;

/* Formats one operating-system entry into buffer (at most `room` characters, terminated when it
 * writes anything); returns the characters written. `depth` is the entry's indent. */
typedef size_t (*NlOsErrorFormatter)(const NlOsErrorRecord *os_error, char *buffer, size_t room,
                                     int32_t depth);

typedef struct NlErrorEntry {
  uint32_t facility;
  uint32_t error;            /* 0: an operating-system entry (reads as facility 3) */
  int32_t kind;              /* NL_ERROR_KIND_* */
  NlOsErrorRecord os_error;  /* filled only by pushes that carry one */
  uint32_t arg_count;
  uint32_t arg_length;       /* bytes of argument text, the 16-bit length fields included */
  uint32_t arg_offset;       /* where the arguments start in arg_text */
} NlErrorEntry;

/* One per global context. Not locked: the users of one stack serialise their calls, and a
 * signal must come from the thread that linked the frames. */
typedef struct NlErrorStack {
  struct NlMessageFacility *message_facility; /* prints the entries */
  struct NlDiagStream *print_stream;          /* where a signal without a frame prints; may be null */
  NlRecoveryFrame *recovery_chain;            /* innermost frame, null when none */
  NlOsErrorFormatter os_formatter;            /* used once for the next OS entry printed */
  int32_t depth;                              /* entries, 0 to 8; index 0 is the oldest */
  uint32_t text_used;                         /* bytes of arg_text in use */
  NlErrorEntry entries[NL_ERROR_STACK_ENTRIES];
  uint8_t arg_text[NL_ERROR_ARG_TEXT_BYTES];  /* each argument: 16-bit length, then its bytes */
} NlErrorStack;

/* One entry taken apart for printing (nlergmco). Argument pointers point into the stack's
 * arg_text and are not terminated. */
typedef struct NlMessageComponents {
  uint32_t error;
  uint32_t facility;
  NlOsErrorRecord *os_error; /* written only for an operating-system entry */
  uint32_t arg_count;
  const char *args[NL_ERROR_MESSAGE_ARGS];
  size_t arg_lengths[NL_ERROR_MESSAGE_ARGS];
} NlMessageComponents;

/* ---- Recovery frames ------------------------------------------------------------------------
 * A caller that must survive signalled errors:
 *
 *   NlRecoveryFrame frame;
 *   int error = NL_RECOVERY_POINT(&frame);     0 now; the delivered error after a signal
 *   if (error == 0) {
 *     NL_RECOVERY_LINK(stack, &frame);
 *     ... work that may signal ...
 *     NL_RECOVERY_UNLINK(stack, &frame);
 *   } else {
 *     ... the frame is already off the chain; handle the error ...
 *   }
 *
 * A signal returns through longjmp: between the link and a possible signal, the function must
 * not own objects with destructors, and its locals changed there must be volatile to be read
 * after the signal. The frame must be unlinked before the function that set the point returns.
 * A delivered value is never 0 (an error number 0 arrives as 1). */
#define NL_RECOVERY_POINT(frame) setjmp((frame)->jump)
#define NL_RECOVERY_LINK(stack, frame) \
  ((frame)->link = (stack)->recovery_chain, (stack)->recovery_chain = (frame))
#define NL_RECOVERY_UNLINK(stack, frame) ((stack)->recovery_chain = (frame)->link)

/* ---- Creation ---------------------------------------------------------------------------------- */

/* Allocates a zeroed stack with the message facility and print stream, and stores it in
 * *stack_slot (set to null first). Result 0; 700 (null slot) or 701 (no memory), each also
 * pushed into primary (facility 1, kind 2). Released with nlerdestroy. */
int32_t nlerinit(NlPrimaryErrorRecord *primary, NlErrorStack **stack_slot,
                 struct NlMessageFacility *message_facility, struct NlDiagStream *print_stream);

/* Releases the stack and nulls *stack_slot. Result 0; 700 (null slot or stack, pushed). */
int32_t nlerdestroy(NlPrimaryErrorRecord *primary, NlErrorStack **stack_slot);

/* ---- Recording (returns normally) -------------------------------------------------------------
 * Every operation accepts a null stack and then does nothing. A ninth entry is lost silently, and
 * so is an argument list that does not fit in the argument text left (its entry is kept). */

/* Pushes (facility, error) with arg_count arguments (see NL_ERROR_ARG_*), kind 2. */
void nlerrec(NlErrorStack *stack, int32_t facility, int32_t error, int32_t arg_count, ...);

/* Pushes an operating-system entry (error 0, a copy of *os_error, kind 2) under `facility`. */
void nlerrsc(NlErrorStack *stack, int32_t facility, const NlOsErrorRecord *os_error);

/* When os_error's code is non-zero: pushes the OS entry as nlerrsc, then (facility, code);
 * result 1. Otherwise (also for a null stack or record) pushes nothing; result 0. */
int32_t nlercrs(NlErrorStack *stack, int32_t facility, const NlOsErrorRecord *os_error);

/* Records an internal error: one entry (1, 51, kind 3) whose arguments read error, facility,
 * then the caller's. */
void nlerric(NlErrorStack *stack, int32_t facility, int32_t error, int32_t arg_count, ...);

/* ---- Signalling ---------------------------------------------------------------------------------
 * These push, then transfer control to the innermost recovery frame, which receives the error
 * number. Without a frame they print the stack to its print_stream and return. */

/* Pushes (facility, error) with arguments, kind 4, and signals `error`. */
void nlersec(NlErrorStack *stack, int32_t facility, int32_t error, int32_t arg_count, ...);

/* When os_error's code is non-zero: pushes the OS entry (kind 4) and signals as
 * nlersec(stack, facility, code, 0). */
void nlercss(NlErrorStack *stack, int32_t facility, const NlOsErrorRecord *os_error);

/* Pushes the internal-error entry as nlerric (kind 3) and signals 51. */
void nlersic(NlErrorStack *stack, int32_t facility, int32_t error, int32_t arg_count, ...);

/* Signals the top entry's error again without pushing; an empty stack signals internal error
 * 302 instead. */
void nlerrse(NlErrorStack *stack);

/* Fatal error: pushes (facility, error) when error is non-zero, then (1, 52, kind 8), and
 * transfers control to the outermost frame (the inner ones are dropped) with 52. */
void nlerfec(NlErrorStack *stack, int32_t facility, int32_t error);

/* Fatal internal error: records nlerric(stack, facility, error, 0) when error is non-zero, then
 * nlerfec(stack, 1, 0). */
void nlerfic(NlErrorStack *stack, int32_t facility, int32_t error);

/* The internal-error family in one call: kind 2 records as nlerric; kind 4 signals as nlersic
 * with entry kind 5; kind 8 is nlerfic(facility, error), then nlerfic(facility, 301) should
 * that return; any other kind is nlerfic(facility, 301). */
void nlerasi(NlErrorStack *stack, int32_t facility, int32_t error, int32_t kind,
             int32_t arg_count, ...);

/* The unwinding step of every signal: takes the innermost frame off the chain and transfers
 * control to it with `error` (0 arrives as 1). Without a frame, prints the stack to its
 * print_stream and returns. `facility` is not used. */
void nlerpop(NlErrorStack *stack, int32_t facility, int32_t error);

/* ---- Primary record -------------------------------------------------------------------------- */

/* Copies a primary record onto the stack: its operating-system error first (as (3, 0, record)
 * then (os_facility, code)), then each used slot, oldest first, with the slot's kind. The
 * primary record is not changed. Nothing happens when either pointer is null. */
void nlerlpe(NlErrorStack *stack, const NlPrimaryErrorRecord *primary);

/* ---- Inspection (n = 1 is the most recent entry, n = depth the oldest) -------------------- */

/* Fills *out with entry n and returns 0; -1 for a null stack or an n outside 1..depth. */
int32_t nlergmco(NlErrorStack *stack, int32_t n, NlMessageComponents *out);

/* Entry n's error number, or an OS entry's code; 0 for a null stack or a missing entry. */
uint32_t nlergoc(const NlErrorStack *stack, int32_t n);

/* Entry n's facility, 3 for an OS entry; 0 for a null stack or a missing entry. */
uint32_t nlergmfi(const NlErrorStack *stack, int32_t n);

/* Sets the formatter used (once) for the next operating-system entry printed; returns it. */
NlOsErrorFormatter nlersetsf(NlErrorStack *stack, NlOsErrorFormatter formatter);

/* ---- Error text ------------------------------------------------------------------------------ */

/* Substitutes arguments into a message text: "%s" takes the next argument, "%d!s" argument d
 * (0-based) without moving on, "%%" is one percent sign; "\0", "\n", "\t" give NUL, newline and
 * tab, a backslash before any other character gives that character. At most size - 1 characters
 * are written, always terminated (nothing when size is 0). Returns the characters written. */
size_t nlersprintf(char *destination, size_t size, const char *format, int32_t arg_count,
                   const char *const *arg_pointers, const size_t *arg_lengths);

/* Formats the stack into buffer, most recent entry first, one line per entry, each indented one
 * blank more than the one above; all = 0 formats only the most recent entry. Result 0, or 700
 * for a null stack (the buffer is then empty). *text_length, when given, receives the length. */
int32_t nlerbem(NlErrorStack *stack, int32_t all, char *buffer, size_t size, size_t *text_length);

/* Prints the whole stack to `stream`, or with a null stream to the stack's print_stream, and
 * flushes it; returns the flush result (0 when there is nothing to print to). */
int32_t nlerpestk(NlErrorStack *stack, struct NlDiagStream *stream);

/* Formats an operating-system error record: "<depth blanks><platform> Error: <number>: <system
 * text>" when it has a system error number, then "Additional information: <extra>" when it has
 * extra information. Writes at most `size` characters, leaves out the final newline, and
 * terminates the text; returns its length. */
size_t snlergem(const NlOsErrorRecord *os_error, char *buffer, size_t size, int32_t depth);

/* nlershow flags */
#define NL_SHOW_NO_PREFIX 1      /* leave out "FAC-NNNNN: " */
#define NL_SHOW_END_LINE 2       /* add a newline unless the message ends in one */
#define NL_SHOW_NEWLINE 4        /* add a newline in any case */
#define NL_SHOW_DATE 8           /* start with the date and time and ": " */
#define NL_SHOW_TO_RECORD 100    /* as indent: format into the startup record's text buffer */

/* Writes message `error` of emfi `emfi`, whose text is a printf format for the arguments, to the
 * context's log stream and flushes it. With indent NL_SHOW_TO_RECORD the message (without a
 * date) goes instead into context->primary_errors->text, whose text_length holds the buffer's
 * capacity on entry (0 meaning 256 bytes) and the length on return. Failures are signalled on
 * the context's error stack (700 without a log stream); when no frame catches them the signalled
 * number is returned. Result 0 on success; 1 for a null context. */
int32_t nlershow(NlGlobalContext *context, int32_t emfi, int32_t indent, int32_t flags,
                 uint32_t error, ...);

KELNL_EXTERN_C_END

#endif
