/* The timer service: one-shot timers with callbacks, one service per global context.
 *
 * Times are centiseconds of the wall clock, kept in 32 bits. Expired timers are run by nltmdrv,
 * called by the service's own background thread ("Timer%X" with its thread id; it drives about
 * every 30 seconds) or by callers; a single-threaded service (flag NL_TIMER_SINGLE_THREADED) has
 * no thread and no lock, and its caller drives it.
 *
 * Unless single-threaded, every operation that reads or changes the service takes its lock, which
 * the holding thread may take again: callbacks run under it and may call any operation here
 * except nltmdei. All operations but nltmdei may then be called from several threads.
 * Results are 0 or an error code of facility 1 (NLE_TIMER_*, nlerrors.h), also pushed on the
 * context's error stack. */
#ifndef KELNL_NLTM_H
#define KELNL_NLTM_H

#include "nlbase.h"
#include "nlep.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

struct NlTimer;

/* Called by nltmdrv for a due timer, which is no longer running when the call is made. now is
 * the time the driver read. The callback may start, stop or free any timer, its own included;
 * one that restarts its own timer with delay 0 is due again at once and runs again in the same
 * drive. It must not unwind out of the driver (a signalled error needs the callback's own
 * recovery frame): the service lock would stay held. */
typedef void (*NlTimerCallback)(NlGlobalContext *context, void *callback_argument, struct NlTimer *timer,
                                uint32_t now, int32_t user_value);

/* NlTimer.state bits */
#define NL_TIMER_RUNNING 0x1   /* linked in the group's running list */
#define NL_TIMER_ALLOCATED 0x2 /* the slot is given out */

/* NlTimerGroup.flags bits */
#define NL_TIMER_SINGLE_THREADED 0x1 /* no thread, no lock: the caller drives */

struct NlTimerBlock;

/* One timer slot. It stays at its address until nltmdei. */
typedef struct NlTimer {
  uint32_t expiry;             /* centiseconds at which it is due */
  uint32_t state;              /* NL_TIMER_RUNNING, NL_TIMER_ALLOCATED */
  int32_t user_value;          /* the callback's last argument */
  struct NlTimerBlock *block;  /* the owning block */
  struct NlTimer *previous;    /* links in the running list */
  struct NlTimer *next;
  NlTimerCallback callback;
  void *callback_argument;
} NlTimer;

struct NlTimerGroup;

/* A block of slots, allocated in one piece: this header, then slot_count NlTimer slots
 * (NL_TIMER_BLOCK_SLOTS). */
typedef struct NlTimerBlock {
  struct NlTimerGroup *group;
  struct NlTimerBlock *next;
  int32_t slot_count;
  int32_t slots_used;
} NlTimerBlock;

#define NL_TIMER_BLOCK_SLOTS(block) ((NlTimer *)((NlTimerBlock *)(block) + 1))

typedef struct NlTimerGroup {
  uint32_t flags;              /* NL_TIMER_SINGLE_THREADED */
  struct NlTimerGroup *next;
  NlTimer *head;               /* running timers sorted by expiry, earliest first */
  int32_t slots_per_block;
  int32_t slots_in_use;
  int32_t slot_total;
  NlTimerBlock *first_block;
  NlTimerBlock *last_block;
} NlTimerGroup;

/* The background thread: its handle, the handle of the event that stops it, its id. */
typedef struct NlTimerThread {
  void *thread;
  void *stop_event;
  uint32_t thread_id;
} NlTimerThread;

/* The service of one context (NlGlobalContext.timer_facility). It has exactly one group. */
typedef struct NlTimerFacility {
  NlTimerGroup *first_group;
  NlTimerGroup *last_group;
  uint32_t last_id;            /* the last number nltmngid gave out */
  NlTimerThread *thread;       /* null for a single-threaded service or when the thread failed */
} NlTimerFacility;

/* Creates the context's service unless it has one (then 0 at once): slots_per_block slots per
 * block (a value below 1 means 10) and flags (NL_TIMER_SINGLE_THREADED). Without that flag the
 * background thread is started. NLE_TIMER_NO_MEMORY when memory runs out (no service then). When
 * the thread cannot be started: NLE_TIMER_THREAD_FAILED, or NLE_TIMER_NO_MEMORY for its record,
 * pushed as an operating-system entry; the service stays, without a thread, for callers to drive. */
int32_t nltmini(NlGlobalContext *context, int32_t slots_per_block, uint32_t flags);

/* Ends the service: stops the thread, clears timer_facility and frees every slot; timer pointers
 * are invalid afterwards. 0, also when there is no service. Not from a callback, and not while
 * another thread uses the service. */
int32_t nltmdei(NlGlobalContext *context);

/* Allocates a slot holding callback, callback_argument and user_value, not running, into
 * *timer_out. Creates the service first (nltmini(context, 10, 0)) when there is none.
 * NLE_TIMER_NO_MEMORY when a new block cannot be allocated; NLE_TIMER_NOT_ALLOCATED when
 * timer_out is null. */
int32_t nltmntm(NlGlobalContext *context, NlTimerCallback callback, void *callback_argument, int32_t user_value,
                NlTimer **timer_out);

/* Starts the timer, or moves a running one, to expire delay centiseconds from now. Among timers
 * due at the same time it goes last, except that it goes first when it ties with the earliest.
 * NLE_TIMER_NOT_STARTED without service; NLE_TIMER_NOT_ALLOCATED for a slot that is not
 * allocated in this service (or null). Allocates nothing. */
int32_t nltmstm(NlGlobalContext *context, NlTimer *timer, uint32_t delay);

/* Stops a running timer; any other slot is left alone with result 0. NLE_TIMER_NOT_STARTED
 * without service. */
int32_t nltmctm(NlGlobalContext *context, NlTimer *timer);

/* Stops the timer if running and gives its slot back; an unallocated slot is left alone.
 * NLE_TIMER_NOT_STARTED without service. */
int32_t nltmftm(NlGlobalContext *context, NlTimer *timer);

/* Runs every due timer (creating the service with nltmini(context, 10, 0) when there is none).
 * *fired_out: the callbacks made; *next_delay_out: centiseconds until the next timer is due (at
 * least 1), or 0 when none is running. Either may be null. NLE_TIMER_NOT_STARTED without service. */
int32_t nltmdrv(NlGlobalContext *context, uint32_t *next_delay_out, uint32_t *fired_out);

/* *remaining_out: the timer's expiry minus now (negative when overdue), 0 when it is not running.
 * NLE_TIMER_NOT_STARTED without service. */
int32_t nltmtxp(NlGlobalContext *context, NlTimer *timer, int32_t *remaining_out);

/* The context's next sequence number into *id_out: 1, 2, 3, ... NLE_TIMER_NOT_STARTED without
 * service. */
int32_t nltmngid(NlGlobalContext *context, uint32_t *id_out);

/* Reads the clock into *last_time and returns the centiseconds since the value it held (0 and
 * nothing stored when last_time is null). */
uint32_t nltmdif(uint32_t *last_time);

/* The wall clock in centiseconds: seconds since 1970 * 100 + milliseconds / 10, in 32 bits.
 * error_record is not written. Any thread. */
uint32_t snltmgcs(NlOsErrorRecord *error_record);

KELNL_EXTERN_C_END

#endif
