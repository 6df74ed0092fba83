/* Writing changed and new parameters back into a parameter file, keeping its layout. */
#ifndef KELNL_NLSP_H
#define KELNL_NLSP_H

#include "nlbase.h"
#include "nlfn.h"
#include "nlpa.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Results of nlspfile. */
#define NLSP_OK 0
#define NLSP_FILE_FAILED 1      /* a name, the move or an open failed; the OS error is on the stack */
#define NLSP_NOT_READABLE 3     /* the file exists but cannot be read */
#define NLSP_NO_MEMORY (-1)     /* 1003 recorded on the context's error stack */

/* Rewrites the parameter file described by file with the values of update: comments, blank
 * lines, order and unchanged statements are copied; a statement whose value differs (ignoring
 * letter case) is rewritten in place; parameters the file does not hold at all (not even
 * through an included file) are appended in a block between a header line naming author (may be
 * null) and the date and a closing line of dashes. The previous file is moved to the name
 * described by backup, replacing an existing backup; a missing file is created holding only the
 * added block.
 *
 * Result: NLSP_OK; NLSP_FILE_FAILED when a name cannot be built, the file cannot be moved to the
 * backup name, or the backup or the new file cannot be opened (the operating-system record is
 * recorded on the context's error stack under facility 4; after a failed open the file is found
 * under the backup name only); also for a null context, table or descriptor (nothing recorded);
 * NLSP_NOT_READABLE; NLSP_NO_MEMORY, after which the file is back under its own name (a file
 * that did not exist is not left behind). A read or write that fails during the rewrite is not
 * reported: the result is NLSP_OK, the new file is short and the backup holds the previous text.
 *
 * Matching of names in update follows its NLPA_CASE_SENSITIVE flag, which is cleared before an
 * existing file is rewritten, so that the spelling in the file does not hide an update. Reading
 * the file leaves its outcome in context->primary_errors (a missing file gives 405 there).
 * No locks: the caller must not update the same file from two threads or processes at once. */
int32_t nlspfile(NlGlobalContext *context, NlParameterTable *update, const NlFileNameDesc *file,
                 const NlFileNameDesc *backup, const char *author, uint32_t author_length);

KELNL_EXTERN_C_END

#endif
