/* File names: describing where a file lives and building its path.
 *
 * Built names use the platform's separator: '\' on Windows, '/' elsewhere. A name is absolute
 * on Windows when its second character is ':' or it starts with '\' or ".\"; elsewhere when it
 * starts with '/' or "./".
 *
 * Every operation reports into the caller's NlOsErrorRecord (a null record is allowed) and
 * returns the code it stored, 0 on success, unless a declaration says otherwise. nlfncons,
 * nlfninit, snlfngenv, snlfncdir, snlfncwd and snlfnmkd clear the record on entry; snlfndddir
 * and snlfnfname write it only when they fail; snlfnexed never touches it. When an operation
 * fails the content of its output buffer is undefined. */
#ifndef KELNL_NLFN_H
#define KELNL_NLFN_H

#include "nlbase.h"
#include "nlep.h"

KELNL_EXTERN_C_BEGIN

/* Flags of NlFileNameDesc. */
#define NLFN_UNIQUE_NAME 1u /* add a suffix that makes the name unused */
#define NLFN_MUST_EXIST 2u  /* take a location only when the file exists there */

/* Codes stored in NlOsErrorRecord.operation (besides the file layer's 44 and 45 from probes). */
#define NLFN_GENERAL_FAILURE 1 /* also: the environment variable is not set */
#define NLFN_NO_OUTPUT_BUFFER 11
#define NLFN_CHANGE_DIRECTORY_FAILED 48
#define NLFN_NO_CURRENT_DIRECTORY 50
#define NLFN_NO_MEMORY 51
#define NLFN_MAKE_DIRECTORY_FAILED 53
#define NLFN_NAME_TOO_LONG 100
#define NLFN_SUFFIX_TOO_LONG 101
#define NLFN_PART_TOO_LONG 820
#define NLFN_NOT_FOUND 821

/* The description of a file to locate. Every text is a pointer and a length (0 = absent) and
 * need not be terminated. Descriptors filled by nlfninit own their texts (release them with
 * nlfndstry); descriptors built by callers may point at constant texts. */
typedef struct NlFileNameDesc {
  const char *first_component; /* directory below the product home, e.g. "network" */
  uint32_t first_component_length;
  const char *second_component; /* directory below the first, e.g. "admin" */
  uint32_t second_component_length;
  const char *explicit_directory;
  uint32_t explicit_directory_length;
  const char *base_name; /* without extension; may be an absolute path */
  uint32_t base_name_length;
  const char *extension; /* without the dot */
  uint32_t extension_length;
  const char *environment_variable; /* names a variable whose value is a directory */
  uint32_t environment_variable_length;
  uint32_t flags; /* NLFN_UNIQUE_NAME, NLFN_MUST_EXIST */
} NlFileNameDesc;

/* Builds the path of the described file into buffer and stores its length. Locations are
 * tried in order: an absolute base name (copied as it stands, no extension added; terminated
 * only when the buffer has room beyond it), the directory in the environment variable, the
 * explicit directory, the default directory under the product home, and the file name alone.
 * With NLFN_MUST_EXIST a location is taken only when the file exists there, and 821 results
 * when a location was named but none holds the file. Codes 1 (no descriptor), 11, 100, 101,
 * 820, 821; after failed existence probes a result of 0 leaves the last probe's 44 or 45 in the
 * record. */
int32_t nlfncons(NlOsErrorRecord *record, const NlFileNameDesc *desc, char *buffer, uint32_t size,
                 uint32_t *length);

/* Zeroes the descriptor and fills its explicit directory, base name and extension with
 * allocated copies of the parts of path (split at the last separator and at the last dot
 * after it). 1 when desc or path is null; 51 when memory runs out (nothing is kept). */
int32_t nlfninit(NlOsErrorRecord *record, NlFileNameDesc *desc, const char *path, uint32_t path_length);

/* Releases every text of a descriptor filled by nlfninit and zeroes each text and length. */
void nlfndstry(NlFileNameDesc *desc);

/* 1 when the NUL-terminated name is absolute on this platform, else 0 (also for null). */
int32_t snlfnisabs(const char *name);

/* Builds the product's default directory for two components, ending in a separator and
 * terminated: for a first component "network" (any case) the directory in NETWORK when it is
 * set, else TARVO_HOME and the first component; then the second component. Components are
 * written in lower case. An unset TARVO_HOME gives an empty directory. Codes 1 (no buffer or
 * length slot), 100 (does not fit). */
int32_t snlfndddir(NlOsErrorRecord *record, const char *first, uint32_t first_length, const char *second,
                   uint32_t second_length, char *buffer, uint32_t size, uint32_t *length);

/* Appends a file name to the directory already in buffer (*length holds its length on entry
 * and the full length on return; the name is terminated). An extension the base name already
 * ends with is not doubled. With NLFN_UNIQUE_NAME in flags a suffix from the thread identifier
 * and an attempt number makes the name unused. Codes 11, 100, 101. */
int32_t snlfnfname(NlOsErrorRecord *record, const char *base, uint32_t base_length, const char *extension,
                   uint32_t extension_length, uint32_t flags, char *buffer, uint32_t size, uint32_t *length);

/* Stores the value of an environment variable, terminated. Codes 1 (not set), 11, 820 (the
 * value and its terminator do not fit). */
int32_t snlfngenv(NlOsErrorRecord *record, const char *name, uint32_t name_length, char *buffer,
                  uint32_t size, uint32_t *length);

/* The current working directory (the same as snlfncdir). */
int32_t snlfnhdir(NlOsErrorRecord *record, char *buffer, uint32_t size, uint32_t *length);

/* Stores the current working directory, terminated. Results: 0; 11 for a null buffer or slot;
 * 1 when size is below 2; 1 with code 50 and the system error (length 0) when it cannot be
 * obtained, for example when it does not fit. */
int32_t snlfncdir(NlOsErrorRecord *record, char *buffer, uint32_t size, uint32_t *length);

/* There is no separate executable directory: stores length 0 and returns 0. The first three
 * arguments are ignored. */
int32_t snlfnexed(NlOsErrorRecord *record, char *buffer, uint32_t size, uint32_t *length);

/* Changes the process's current directory. 0, or 1 with code 48 and the system error. */
int32_t snlfncwd(NlOsErrorRecord *record, const char *directory);

/* Makes a directory. 0, or 1 with code 53 and the system error. */
int32_t snlfnmkd(NlOsErrorRecord *record, const char *directory);

KELNL_EXTERN_C_END

#endif
