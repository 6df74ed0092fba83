/* Parameter tables: what was read from parameter files and command-line parameter strings. */
#ifndef KELNL_NLPA_H
#define KELNL_NLPA_H

#include <stdio.h>

#include "nlbase.h"
#include "nlep.h"
#include "nlfn.h"
#include "nlht.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Options of nlpains and bits of NlParameterTable.flags. Options take the bits marked (option);
 * the others are the reader's own state. */
#define NLPA_LOOKUP_MODE 1u           /* (option) fetch one parameter, build no table */
#define NLPA_CREATE_ONLY 2u           /* (option) make the table, read nothing */
#define NLPA_READ_COMPLETE 4u         /* set alone once nlpains is done */
#define NLPA_RELEASE_RECORD 8u        /* the record itself goes at teardown */
#define NLPA_CASE_SENSITIVE 16u       /* (option) names compared exactly */
#define NLPA_STRING_SOURCE 32u        /* reading a command-line string */
#define NLPA_LOOKUP_FOUND 64u         /* lookup mode: the wanted name was met */
#define NLPA_INCLUDE_STATEMENT 128u   /* the statement being read is an include */
#define NLPA_LOCAL_FILE 256u          /* (option) the source is the local parameter file */
#define NLPA_COMMAND_LINE 512u        /* (option) the source is the command line */
#define NLPA_READING_INCLUDE 1024u    /* an include file is being read */

#define NLPA_CHUNK_CHARACTERS 512
#define NLPA_FILE_NAME_CAPACITY 257

/* A piece of a token being gathered; tokens of any length run over a chain of chunks. */
typedef struct NlTextChunk {
  char *write_position;
  struct NlTextChunk *next;
  uint32_t count;
  char data[NLPA_CHUNK_CHARACTERS];
} NlTextChunk;

/* A value text, shared by every binding of the statement that gave it. The text lives in the
 * same allocation as the record and is released with it. */
typedef struct NlParamValue {
  char *text;
  char *elements;            /* list elements one after another, each terminated; null until split */
  uint32_t text_length;
  uint32_t element_count;    /* 0 until split */
  int32_t reference_count;   /* bindings that refer to this value */
} NlParamValue;

/* One spelling of a name, with its value. The name text lives in the same allocation. */
typedef struct NlParamBinding {
  char *name;
  NlParamValue *value;
  struct NlParamBinding *next;
  uint32_t name_length;
} NlParamBinding;

/* The index entry of one lower-cased name: its bindings, newest first. The key lives in the
 * same allocation. */
typedef struct NlParamEntry {
  char *key;
  NlParamBinding *bindings;
  uint32_t key_length;
} NlParamEntry;

typedef struct NlParameterTable {
  NlHashTable *index;           /* NlParamEntry per lower-cased name; null in lookup mode */
  NlTextChunk *current_chunk;
  NlTextChunk *spare_chunks;
  void *pending_names;          /* while parsing: the statement's names; later the walk's next binding */
  const char *string_source;
  const char *string_cursor;
  uint32_t flags;
  int32_t cursor;
  int32_t include_depth;
  FILE *file;
  uint32_t first_name_length;
  uint32_t second_name_length;
  uint32_t third_name_length;
  char first_file_name[NLPA_FILE_NAME_CAPACITY];   /* the main file, read at depth 0 */
  char second_file_name[NLPA_FILE_NAME_CAPACITY];  /* the local parameter file */
  char third_file_name[NLPA_FILE_NAME_CAPACITY + 1]; /* the file last included at depth 1 */
} NlParameterTable;

/* Reads a parameter file (descriptor, may be null) and then the command-line strings (argc,
 * argv; strings starting with "ifile" first) into the table in *table_slot, making a new table
 * when the slot holds null. Later statements replace earlier ones of the same spelling.
 * Lookup mode (NLPA_LOOKUP_MODE): reads until the wanted name and delivers its value: with
 * *value_size 0 into a new buffer in *value_slot (the caller's: a C heap block in an ordinary
 * process, a core-services block in a server process), otherwise into the caller's buffer
 * *value_slot of *value_size + 1 bytes (410 when it is too long, nothing delivered);
 * *value_size receives the length, also with 410 (the room a retry needs); a missing name
 * pushes 408 and returns 0.
 * A directory cannot be opened as a parameter file (405). A source that is not a regular file
 * (a device or a pipe, which may never end) is read up to 256 MB; beyond that, 431. Includes:
 * an include statement that repeats the one just read, at the same depth with nothing stored
 * in between, is not read again (the table would come out the same); includes separated by
 * statements are read each time, up to the depth limit of 4.
 * Result: 0, or the code on top of *record when reading left errors there (at most five).
 * No locks: one thread reads into a table at a time. */
int32_t nlpains(NlPrimaryErrorRecord *record, NlParameterTable **table_slot, uint32_t options,
                const NlFileNameDesc *file, const char *wanted_name, uint32_t wanted_length,
                char **value_slot, uint32_t *value_size, int32_t argc, char **argv);

/* The files a table was read from (nlpainf). */
typedef struct NlParamFileReport {
  uint32_t first_name_length;
  uint32_t second_name_length;
  uint32_t third_name_length;
  char first_file_name[NLPA_FILE_NAME_CAPACITY];
  char second_file_name[NLPA_FILE_NAME_CAPACITY];
  char third_file_name[NLPA_FILE_NAME_CAPACITY];
} NlParamFileReport;

/* Every operation below takes the caller's error record first and pushes its errors there
 * (facility 1). A null table pushes 404. Names are looked up ignoring case; the newest spelling
 * wins, unless the table is case-sensitive (nlpacas), which asks for the exact spelling. Values
 * point into the table: valid until the binding is replaced or the table released. No locks. */

/* The parameter's text (index 0, or any value that is not a list: index 0 or 1), or its
 * index-th list element counted from 1. *value is nulled first. 408 no such parameter, 427 index
 * out of range or malformed list, 402. */
int32_t nlpagsp(NlPrimaryErrorRecord *record, NlParameterTable *table, const char *name,
                uint32_t name_length, int32_t index, char **value, uint32_t *value_length);
/* As nlpagsp, then converted like strtol in base 10 (no error for text that is not a number). */
int32_t nlpagip(NlPrimaryErrorRecord *record, NlParameterTable *table, const char *name,
                uint32_t name_length, int32_t index, int32_t *number);
/* Identical to nlpagip. */
int32_t nlpagup(NlPrimaryErrorRecord *record, NlParameterTable *table, const char *name,
                uint32_t name_length, int32_t index, int32_t *number);
/* As nlpagsp, then 0 for text starting with 0, false, off or no and 1 for text starting with 1,
 * true, on or yes (ignoring case); 409 for anything else. */
int32_t nlpagbp(NlPrimaryErrorRecord *record, NlParameterTable *table, const char *name,
                uint32_t name_length, int32_t index, int32_t *boolean);
/* The number of elements of a list value (*count is zeroed first). 427 when the value is not a
 * list; a malformed list reports the elements counted before the fault. */
int32_t nlpagvc(NlPrimaryErrorRecord *record, NlParameterTable *table, const char *name,
                uint32_t name_length, uint32_t *count);
/* 0 when the value, or one of its list elements, equals wanted ignoring case; 411 (returned,
 * not pushed) when none does. */
int32_t nlpafind(NlPrimaryErrorRecord *record, NlParameterTable *table, const char *name,
                 uint32_t name_length, const char *wanted, uint32_t wanted_length);
/* Walks the table: set *state to 0 first; each call gives the next name (as written) and value
 * with *state 1; at the end *state is 0 and *value null. One result per name, or every spelling
 * when the table is case-sensitive. One walk at a time per table. */
int32_t nlpaseq(NlPrimaryErrorRecord *record, NlParameterTable *table, int32_t *state, char **name,
                char **value);
/* Sets a parameter as a statement `name = value` would (mode must be 1, else 401). 402, 406. */
int32_t nlpassp(NlPrimaryErrorRecord *record, NlParameterTable *table, int32_t mode, const char *name,
                uint32_t name_length, const char *value, uint32_t value_length);
/* Non-zero makes name matching case-sensitive, zero case-insensitive (until the next nlpains). */
int32_t nlpacas(NlPrimaryErrorRecord *record, NlParameterTable *table, int32_t case_sensitive);
/* Fills the report with the names of the files the table was read from (null: nothing). */
int32_t nlpainf(NlPrimaryErrorRecord *record, NlParameterTable *table, NlParamFileReport *report);
/* Walks every entry; writes nothing. Returns 0. */
int32_t nlpadmp(NlPrimaryErrorRecord *record, NlParameterTable *table);
/* Releases the table and everything in it and nulls *table_slot; a null slot or table does
 * nothing. */
void nlpatrm(NlPrimaryErrorRecord *record, NlParameterTable **table_slot);

/* Loaders. */

/* nlpains with its first ten arguments, unless the directory-access parameter net_config_method
 * (ldap.kel) starts with "ldap" in any case: then the objects of source_kind (1 listener, 2 or 8
 * profile, 4 connection manager, 22 net service name) named profile_name are read from the
 * directory (nlolgobj, nlol.h) into the table instead, and the file and command line are ignored.
 * A table is made when the slot holds none and stored there (not in lookup mode, where the
 * wanted parameter is delivered as nlpains delivers it, into a new block when *value_slot is
 * null, else cut to *value_size bytes). For kind 2 without a name the environment variable
 * kelnet_profile names the profile ("NetProfile" when unset; set but empty: 401 pushed on
 * record). 401 when the directory objects could not be read (the table keeps what it held),
 * 402 when memory ran out; these come back without being pushed. No locks beyond
 * nlpagetldparam's. */
int32_t nlpainso(NlPrimaryErrorRecord *record, NlParameterTable **table_slot, uint32_t options,
                 const NlFileNameDesc *file, const char *wanted_name, uint32_t wanted_length,
                 char **value_slot, uint32_t *value_size, int32_t argc, char **argv, int32_t source_kind,
                 const char *profile_name, NlGlobalContext *context);
/* Reads the protocol parameter file protocol.kel into *table_slot (as nlpains does): from the
 * working directory when it is there, else through VQT_ADMIN and the default administration
 * directory. Traces the name of the file read (or tried) while the context's trace is on. The
 * nlpains result of the last attempt. */
int32_t nlpaload(NlGlobalContext *context, NlParameterTable **table_slot);
/* The directory-access parameters (ldap.kel of the default administration directory, never
 * VQT_ADMIN; kept in context->directory_parameters, read on first use, and read again after a
 * failed read): mode 1 gets element element_index of name into *value_slot and *value_length
 * (pointing into the table: valid until it is released or the name set again), mode 3 sets name
 * to the value slot's text of *value_length bytes, mode 2 releases the table (0 when there is
 * none). Holds the context mutex of a thread-safe context for the whole call. Errors go to a
 * private record: only the code is returned (401 for another mode or a null context). */
int32_t nlpagetldparam(NlGlobalContext *context, const char *name, uint32_t name_length, int32_t element_index,
                       char **value_slot, uint32_t *value_length, int32_t mode);

KELNL_EXTERN_C_END

#endif
