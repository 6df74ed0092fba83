/* Process spawning from a process address such as
 * (ADDRESS=(PROGRAM=x)(ARGV0=xA)(ARGS=a,b)(ENVS=N=v)).
 *
 * nlpcaini reads an address binding into an NlSpawnRecord; snlpcsp starts the program the
 * record names; nlpcsp parses, reads and spawns in one call. Most programs start as detached
 * processes that inherit the caller's handles; a few of the product's own are recognised by name
 * and started through the spawning library, as services, or as a thread of a shared server
 * process. None of these operations pushes onto an error stack. They take no locks: a record
 * belongs to one thread at a time, and the qlbxsrv server variables are not locked either. */
#ifndef KELNL_NLPC_H
#define KELNL_NLPC_H

#include "nlbase.h"
#include "nlnv.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* NlSpawnRecord.options bits */
#define NLPC_OPTION_NO_DETACH 0x1 /* DETACH began with "no" or "false" */

/* NlSpawnRecord.env_policy bits */
#define NLPC_ENV_POLICY_NONE 0x1
#define NLPC_ENV_POLICY_SPECIAL 0x2
#define NLPC_ENV_POLICY_CALLER_STORAGE 0x10 /* nlpcatrm releases nothing */

/* Programs whose name has this many characters or more are refused. */
#define NLPC_MAX_PROGRAM_LENGTH 512

/* The fields of a process address: caller storage, cleared and filled by nlpcaini. The texts
 * point into buffer, each NUL-terminated; lengths exclude the terminator. */
typedef struct NlSpawnRecord {
  uint32_t process_id;       /* set by a successful spawn */
  uint32_t thread_id;        /* the first thread's id, or the service's or new thread's */
  void *thread_handle;       /* kept only for the spawning library on a non-NT Windows */
  char *buffer;              /* owns every text below */
  uint32_t buffer_size;
  char *program;
  uint32_t program_length;
  char *type;                /* TYPE, IN and OUT are kept for callers; spawning ignores them */
  uint32_t type_length;
  char *in;
  uint32_t in_length;
  char *out;
  uint32_t out_length;
  NlnvBinding *privs;        /* owned copies of ADDRESS/PRIVS and ADDRESS/OSDS, or null */
  NlnvBinding *osds;
  int32_t timeout;           /* TIMEOUT as atoi reads it */
  uint8_t options;           /* NLPC_OPTION_* */
  uint8_t env_policy;        /* NLPC_ENV_POLICY_* */
  char **argv;               /* owned, null-terminated; the texts lie in buffer */
  int32_t argc;              /* commas of ARGS + 2 (1 without ARGS); argv may end earlier when
                                ARGS holds an empty argument */
  char **envv;               /* owned: the ENVS list as snlpcenvini keeps it (none on Windows) */
  int32_t envc;
} NlSpawnRecord;

/* The accepted top-level forms of a process address ("ADDRESS", "DES/ADD", ...). */
KELNL_DATA const char *nlpcptab[];
/* The twelve address keywords, alternatives separated by ':' ("PROG:PROGRAM:NAME", ...). */
KELNL_DATA const char *nlpclutab[];
/* The same twelve fields as empty bindings ("(PROGRAM=)", ...). */
KELNL_DATA const char *nlpclutabfc[];

/* The three tables above; null-terminated, never to be changed. */
const char **nlpcgptab(void);
const char **nlpcglutab(void);
const char **nlpcglutabfc(void);

/* Parses text (length bytes), brings it to an ADDRESS binding through nlpcptab, reads it and,
 * when it names a PROGRAM, spawns it. 0 after a successful spawn; 1 when there is no PROGRAM or
 * the spawn failed; otherwise the name-value library's result or nlpcaini's. Everything it made
 * is released before it returns. context may be null (no trace). */
int32_t nlpcsp(NlGlobalContext *context, const char *text, uint32_t length);

/* Clears record and fills it from the ADDRESS binding address (not changed, still the caller's).
 * 0, also for an address without any keyword (the record stays empty); the name-value library's
 * result when the keywords cannot be read; -1 when memory runs out or the environment list
 * cannot be built, with nothing left allocated. Release a filled record with nlpcatrm. */
int32_t nlpcaini(NlGlobalContext *context, NlnvBinding *address, NlSpawnRecord *record);

/* Releases what the record owns (nothing when env_policy has NLPC_ENV_POLICY_CALLER_STORAGE) and
 * nulls those fields. Returns 0. */
int32_t nlpcatrm(NlGlobalContext *context, NlSpawnRecord *record);

/* Starts the program of a filled record and stores its process and thread ids. 0, or -1 when the
 * program name is too long, TARVO_HOME is unset where a path is built from it, a library, entry
 * point or program is missing, a service start fails or the command line is longer than the
 * platform takes (32767 characters). The first argv entry is changed in place: the arguments
 * are joined into it and a product program's instance name is blanked. */
int32_t snlpcsp(NlGlobalContext *context, NlSpawnRecord *record);

/* Stores the environment list (count texts NAME=value) in record->envv and envc. Windows keeps
 * none (envv null, envc 0); POSIX keeps a copy that spawned programs get in front of the
 * inherited environment. 0, or -1 when memory runs out or the texts together exceed 32767
 * characters. */
int32_t snlpcenvini(NlSpawnRecord *record, char **list, int32_t count);

/* Windows: *out is null. POSIX: *out is the calling process's environment list (not a copy). */
int32_t snlpcgetenvv(char ***out);

/* Nothing to do: spawned programs are detached when they start. Returns 0. */
int32_t snlpcdetach(void);

KELNL_EXTERN_C_END

#endif
