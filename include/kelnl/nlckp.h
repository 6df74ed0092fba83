/* Checkpoint files: a parameter table saved as a parameter file, so that settings changed at run
 * time survive a restart, and read back with the ordinary parser. */
#ifndef KELNL_NLCKP_H
#define KELNL_NLCKP_H

#include "nlbase.h"
#include "nlfn.h"
#include "nlpa.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* The checkpoint file's name is built from the descriptor with the base name "chkpoint" when it
 * names none and always the extension "ckp" (whatever extension it names): a descriptor with
 * only a directory gives chkpoint.ckp there, base srv and extension kel gives srv.ckp. A null
 * descriptor counts as an empty one. */

/* Writes every parameter of table (null: context->parameters) as "name = value" lines in walk
 * order after a five-line comment header holding the date and the banner of product (length 0:
 * "Brisol", version 0, status 0; see nlbamsg). The text goes to a new temporary file in the
 * checkpoint's directory, which is then moved over the checkpoint file, so a previous checkpoint
 * survives every failure and no temporary file is left behind. Clears the context's primary
 * error record before the walk. Result 0, or -1 with error 235 (facility 1) on top of the
 * context's error stack and the cause beneath it (230 when the name cannot be built, an
 * operating-system entry under facility 3 for file failures). -1 without anything pushed for a
 * null context or one without an error stack. Entry and exit are traced when the trace is on. */
int32_t nlckpdcf_dump_ckp_file(NlGlobalContext *context, NlParameterTable *table,
                               const NlFileNameDesc *file, const char *product, size_t product_length,
                               uint32_t version, uint32_t status);

/* Reads a checkpoint file into the table in *table_slot with nlpains (a null slot content
 * receives a new table; bindings of identical spelling are replaced). Result 0; -1 when the
 * name cannot be built (the operating-system entry and its code, facility 3, on the context's
 * error stack) or the file cannot be read (the reasons in context->primary_errors), or for a
 * null context or slot. Entry, exit and the file name are traced when the trace is on. */
int32_t nlckpclp_ckp_load_ptable(NlGlobalContext *context, NlParameterTable **table_slot,
                                 const NlFileNameDesc *file);

KELNL_EXTERN_C_END

#endif
