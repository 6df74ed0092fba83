/* The global context: the one record every network component works through. */
#ifndef KELNL_NLSTD_H
#define KELNL_NLSTD_H

#include "nlbase.h"
#include "nlep.h"
#include "nlfn.h"

KELNL_EXTERN_C_BEGIN

/* A core-services mutex held inside caller storage. Opaque; large enough for every platform's
 * native non-recursive lock. */
typedef struct NlMutex {
  uintptr_t opaque[6];
} NlMutex;

#define NL_REPRESENTATION_VECTOR_CAPACITY 64

/* How this machine represents data, as words and as the compact vector sent to peers. */
typedef struct NlDataRepresentation {
  uint32_t flags;            /* bits 0-2 floating-point format code; alignment bits */
  uint32_t bits_per_byte;
  uint32_t sizes[8];         /* 2, 4, 8, 4, 4, 4, 8, 4 */
  uint32_t alignments[10];   /* alignment minus one */
  uint32_t int2_positions[2];  /* memory position of the byte of significance i */
  uint32_t int4_positions[4];
  uint32_t int8_positions[8];
  uint8_t *byte_orders;      /* one block: 4-byte int, 4-byte int, float (4), double (8) */
  uint8_t vector[NL_REPRESENTATION_VECTOR_CAPACITY]; /* vector[0] = length, itself included */
} NlDataRepresentation;

struct NlTimerFacility;
struct NlDiagStream;
struct NlTraceContext;
struct NlMessageFacility;
struct NlErrorStack;
struct NlParameterTable;
struct NlRandomState;

/* The shared context record. Its layout is shared with the product's other network components,
 * so field order and widths are fixed; the reserved words belong to those components. */
typedef struct NlGlobalContext {
  int32_t reference_count;
  uintptr_t reserved_1[4];
  struct NlTimerFacility *timer_facility;
  uintptr_t reserved_2[3];
  NlPrimaryErrorRecord *primary_errors;
  struct NlDiagStream *log_stream;
  struct NlTraceContext *trace;
  struct NlMessageFacility *message_facility;
  struct NlErrorStack *error_stack;
  struct NlParameterTable *parameters;
  uintptr_t reserved_3[2];
  NlDataRepresentation *data_representation;
  uintptr_t reserved_4[2];
  void *date_facility;
  uintptr_t reserved_5[6];
  struct NlRandomState *random_state;
  void *thread_context; /* non-null only for a thread-safe context: the only time locks are taken */
  NlMutex context_mutex;
  NlMutex mutex_2;
  NlMutex mutex_3;
  uintptr_t reserved_6;
  NlMutex mutex_4;
  uintptr_t reserved_7;
  NlMutex mutex_5;
  NlMutex mutex_6;
  void *timer; /* core-services timer handle, set by another component */
  uintptr_t reserved_8;
  NlMutex mutex_7;
  NlMutex mutex_8;
  NlMutex mutex_9;
  struct NlParameterTable *directory_parameters;
  NlMutex startup_mutex;
  NlMutex trace_mutex;
} NlGlobalContext;

/* Bits of NlStartupParameters.flags. Other bits are passed through. */
#define NLSTD_SOURCE_ERRORS_FORGIVEN 0x1u
#define NLSTD_READ_COMMAND_LINE 0x4u
#define NLSTD_READ_SYSTEM_FILE 0x8u
#define NLSTD_READ_LOCAL_FILE 0x10u
#define NLSTD_OPEN_TRACE 0x20u
#define NLSTD_OPEN_LOG 0x40u
#define NLSTD_NO_LOG_TEST_OPEN 0x80u
#define NLSTD_WRITE_BANNER 0x100u
#define NLSTD_MESSAGE_ERRORS_FORGIVEN 0x200u
#define NLSTD_TRACE_ERRORS_FORGIVEN 0x400u
#define NLSTD_TTY_NOT_TERMINAL 0x800u /* a trace or log file value "tty" is not the terminal */

/* Source and log statuses. */
#define NLSTD_STATUS_READ 0
#define NLSTD_STATUS_READ_WITH_ERRORS 1
#define NLSTD_STATUS_NOT_READ 2 /* also: no log */

#define NLSTD_NAME_CAPACITY 257 /* the output names, terminator included */
#define NLSTD_STARTUP_NAME_LENGTH 11

/* The block a component fills to start the library; some fields are outputs. Parameter names are
 * NUL-terminated texts or null (a null name leaves its setting at the default). */
typedef struct NlStartupParameters {
  uint32_t flags; /* NLSTD_* bits; the trace opening may clear some */
  int32_t cmdline_status; /* outputs: NLSTD_STATUS_* */
  int32_t local_status;
  int32_t system_status;
  int32_t log_status; /* output: 0 a log is open or kept, 2 no log */
  const char *cmdline_text; /* command-line parameters as parameter-file text */
  uint32_t cmdline_length;
  uint32_t system_name_length; /* outputs: lengths of the names below */
  uint32_t local_name_length;
  uint32_t third_name_length;
  uint32_t trace_name_length;
  uint32_t log_name_length;
  uintptr_t banner[6]; /* product, product length, version, status, year, year length */
  const char *trace_file_parameter;
  const char *trace_directory_parameter;
  const char *trace_unique_parameter;
  const char *trace_level_parameter;
  const char *trace_events_parameter;
  const char *trace_filters_parameter;
  const char *trace_file_count_parameter;
  const char *trace_time_stamp_parameter;
  const char *trace_secondary_level_parameter;
  const char *trace_file_length_parameter;
  const char *log_file_parameter;
  const char *log_directory_parameter;
  const char *log_unique_parameter;
  const char *log_switch_parameter; /* a boolean: false drops the log */
  NlFileNameDesc system_file;
  NlFileNameDesc local_file;
  NlFileNameDesc trace_file; /* template of the trace file's name */
  NlFileNameDesc log_file;   /* template of the log file's name */
  char system_name[NLSTD_NAME_CAPACITY]; /* outputs, terminated */
  char local_name[NLSTD_NAME_CAPACITY];
  char third_name[NLSTD_NAME_CAPACITY];
  char trace_name[NLSTD_NAME_CAPACITY];
  char log_name[NLSTD_NAME_CAPACITY];
  char startup_name[NLSTD_STARTUP_NAME_LENGTH]; /* handed to the external trace library */
  int32_t thread_safe; /* 1 makes the context thread-safe */
} NlStartupParameters;

/* Stores the record of this process (ordinary process) or of the calling thread (server
 * process, sscoreserverflag non-zero; null when the thread has none) into *context_slot. */
void snlstdini(NlGlobalContext **context_slot);

/* Zero-fills the record in *context_slot and nulls the slot; nothing when either is null. */
void snlstdtrm(NlGlobalContext **context_slot);

/* Takes a hold on the record without starting any facility and without locks. The hold is
 * released by nlstdtrm. */
void nlstdini(NlGlobalContext **context_slot);

/* Releases a hold. The last hold tears every facility down, destroys the mutexes, zero-fills the
 * record and nulls *context_slot. A slot holding null or an unreadable pointer is ignored.
 * Callers serialise the holds and releases of one record. */
void nlstdtrm(NlGlobalContext **context_slot);

/* Builds context->data_representation: 0 on success or when already built, 1 when memory runs
 * out (what was built is kept; a later call completes it). */
int32_t nlifigbl(NlGlobalContext *context);

/* Releases the data-representation descriptor, if any. */
void nliftgbl(NlGlobalContext *context);

/* ---- Startup and shutdown ---------------------------------------------------------------------
 * Startup fills the record with every facility from the block's sources; a context that is
 * already started only gains a hold. Every successful startup is matched by one nlstdtrm. Results
 * are 0 or the failing code: 601 (no record, or no memory for the startup record), the message
 * facility's code, 700/701 (error stack), 801 (date facility), 1 (descriptor memory), the table
 * creation's code, 462 (parameter file), 511/512/513 (trace), 280 (log). On failure the formatted
 * error stack is in error_buffer (always terminated when error_buffer_size is non-zero), its length
 * in *error_length, the caller's pointer is null and the startup's hold is released (holds taken
 * by others stay). The holds and releases of one record are serialised by the callers. */

/* Starts with a block of its own: flags 0xEE9 (system parameter file only, trace and log, no
 * banner), the server trace and log parameter names, brisol.kel, svr.trc with a unique name,
 * brisol.log, no locks. The thirteen words after context_slot are not used. */
int32_t nlstdgo(NlGlobalContext **context_slot, uintptr_t unused_1, uintptr_t unused_2, uintptr_t unused_3,
                uintptr_t unused_4, uintptr_t unused_5, uintptr_t unused_6, uintptr_t unused_7,
                uintptr_t unused_8, uintptr_t unused_9, uintptr_t unused_10, uintptr_t unused_11,
                uintptr_t unused_12, uintptr_t unused_13, char *error_buffer, size_t error_buffer_size,
                size_t *error_length);

/* Starts from the sources the block names; the block's outputs (statuses, names) are filled. */
int32_t nlstdgg(NlGlobalContext **context_slot, NlStartupParameters *parameters, char *error_buffer,
                size_t error_buffer_size, size_t *error_length);

/* As nlstdgg, but the parameters come from directory-stored configuration of source_kind and
 * profile_name when the directory-access parameter net_config_method starts with "ldap"; a
 * failure's text is also written to the log when one is open. */
int32_t nlstdggo(NlGlobalContext **context_slot, NlStartupParameters *parameters, char *error_buffer,
                 size_t error_buffer_size, size_t *error_length, int32_t source_kind,
                 const char *profile_name);

/* nlstdtrm on a pointer given by value; the caller's own variable keeps its value. */
void nlstdstp(NlGlobalContext *context);

/* Re-reads the sources named by the block's flags (4, 8, 16) into a new table and installs it when
 * they gave no error (or when the context had none). 0 without a context or such flags, or when
 * the sources gave no error or flag 1 is set; otherwise 462 on the error stack after the record
 * of the source at fault; the table creation's code (its record copied onto the stack). */
int32_t nlstdap(NlGlobalContext *context, NlStartupParameters *parameters);

/* The second half of nlstdap for a caller that made the (empty) table: reads the sources into it,
 * then either installs it in the context or releases it. The table is the library's afterwards. */
int32_t nlstdp1_alter_param_1(NlGlobalContext *context, struct NlParameterTable *table,
                              NlStartupParameters *parameters);

/* Reopens the log of a running context as the block and the parameters now say: 0, or 280 on the
 * error stack after the opening's record. The previous log stays on failure. */
int32_t nlstdal(NlGlobalContext *context, NlStartupParameters *parameters);

/* Reopens the trace likewise: 0, or 511 on the error stack after the opening's record. */
int32_t nlstdat(NlGlobalContext *context, NlStartupParameters *parameters);

/* A caller's buffer for a result text. */
typedef struct NlResultBuffer {
  char *buffer;
  uint32_t capacity;
  uint32_t length;    /* output: bytes copied */
  uint32_t truncated; /* output: 1 when the text was longer than capacity */
} NlResultBuffer;

/* Copies min(length, capacity) bytes of source into destination's buffer, without a terminator,
 * and fills its length and truncated flag. Returns the length copied. */
int32_t nlstreturn(const char *source, uint32_t length, NlResultBuffer *destination);

/* The networking library's own teardown, run by the last nlstdtrm of a context after the trace
 * is closed and before the date facility goes. */
typedef void (*NlNetworkTeardown)(NlGlobalContext *context);

/* Registers the process's networking-library teardown (null removes it) and returns the one it
 * replaces, so that a component may chain to it. Thread-safe. */
NlNetworkTeardown nlstdregtrm(NlNetworkTeardown teardown);

KELNL_EXTERN_C_END

#endif
