/* The command interpreter of the control programs. A program describes its commands in a table
 * of NlCommandEntry rows; nlcpdrv reads lines from the terminal or a command file, splits them
 * (nlcpprs) and interprets each one (nlcpdo): unique prefixes of the names, nested keyword
 * tables, the modifiers show, set, cancel and repeat, help, command files named by '@', and
 * confirmation. Every handler runs under a recovery frame of the context's error stack.
 *
 * The context must have an error stack, a message facility and a log stream: every answer is
 * printed to context->log_stream, every refused line pushes one error (facility 1) onto
 * context->error_stack. The interpreter keeps no state between calls and takes no lock; it runs
 * on the caller's thread. */
#ifndef KELNL_NLCP_H
#define KELNL_NLCP_H

#include "nlbase.h"
#include "nlds.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Bits of NlCommandEntry.flags. As a line's mode, one of 0x02, 0x04, 0x08, 0x40, 0x80. */
#define NLCP_KEYWORD 0x01u      /* the next word is looked up in subtable */
#define NLCP_SHOW 0x02u         /* accepts show; on a modifier row: the row is show */
#define NLCP_SET 0x04u          /* accepts set; on a modifier row: the row is set */
#define NLCP_CANCEL 0x08u       /* accepts cancel; on a modifier row: the row is cancel */
#define NLCP_MODIFIER 0x10u     /* the row's word sets the mode for the rest of the line */
#define NLCP_CONFIRM 0x20u      /* the user confirms before the command runs */
#define NLCP_NONE 0x40u         /* accepts being used without modifier */
#define NLCP_REPEAT 0x80u       /* accepts repeat; on a modifier row: the row is repeat (takes a count) */
#define NLCP_MODE_BITS 0xCEu    /* the flags that make up a mode */

/* Interpreter flags of nlcpdrv and nlcpdo. */
#define NLCP_EXPERT 0x01u       /* hidden rows ('_' names) are matched and listed; no confirmation */
#define NLCP_FROM_FILE 0x02u    /* input from a command file: no confirmation */

#define NLCP_MAX_WORDS 129      /* words per line that nlcpdrv splits */
#define NLCP_LINE_LIMIT 512     /* bytes per line that nlcpdrv reads, line end and terminator included */
#define NLCP_PATH_LIMIT 128     /* keywords and command of one line */

struct NlCommandEntry;

/* A leaf command. words/word_count: the words after the command's name; for a command that
 * accepts repeat, the list starts one earlier with the repeat count text ("1" unless the line
 * said repeat n). path holds the row indexes of the keywords and of the command (depth of them);
 * mode is the line's mode. The result is ignored; a handler reports failure by pushing onto the
 * error stack, or by signalling, which makes nlcpdo return the signalled number. */
typedef int32_t (*NlCommandHandler)(NlGlobalContext *context, void *user_data, char **words, int32_t word_count,
                                    const int32_t *path, int32_t depth, uint32_t mode);

/* One row of a command table; a table ends with a row whose name is null. */
typedef struct NlCommandEntry {
  const char *name;                      /* a leading '_' hides the row unless NLCP_EXPERT */
  NlCommandHandler handler;              /* leaf commands */
  const struct NlCommandEntry *subtable; /* keyword rows */
  int32_t min_args;
  int32_t max_args;
  uint32_t flags;                        /* NLCP_* row bits */
  uint32_t help_message;                 /* message number in the help facility */
} NlCommandEntry;

/* Runs the interpreter until its input ends. input is a formatted-file handle (nlfi.h) to read
 * lines from; null reads standard input through a standard-output stream opened and closed here.
 * interactive non-zero prints the welcome message and the prompt "<program_name>> ". Lines are
 * at most NLCP_LINE_LIMIT bytes; lines starting with '#' or "rem" (any case) are comments. A
 * refused line's errors are printed and the stack emptied before the next line. Result 851 when
 * the input ends or a handler signalled 851 (at the end of input 851 is pushed with the argument
 * "control program"); otherwise the stream code when the terminal cannot be opened or a read fails
 * before the end. */
int32_t nlcpdrv(NlGlobalContext *context, int32_t help_facility, const char *program_name, int32_t interactive,
                const NlCommandEntry *table, uint32_t flags, void *user_data, NlDiagStream *input);

/* Interprets one split line (see nlcpprs) against table. Result 0 when the line was handled
 * (help, ambiguity and modifier listings included, and a handler that returned); 853, 855, 857,
 * 858, 859, 864 or 865 for a refused line (pushed onto the error stack); or the number a handler
 * signalled. A word "@name" runs the command file name with a nested nlcpdrv. Words may be
 * reordered or overwritten for the handler. */
int32_t nlcpdo(NlGlobalContext *context, int32_t help_facility, char **words, int32_t word_count,
               const NlCommandEntry *table, uint32_t flags, void *user_data);

/* Splits the terminated line in place at blanks, tabs, form feeds and line feeds (overwritten
 * with NUL) into words; words needs room for max_words + 1 entries and ends with a null. length
 * is not used. Result 0, or 852 (pushed onto the error stack) for more than max_words words. */
int32_t nlcpprs(NlGlobalContext *context, char *line, int32_t length, char **words, int32_t max_words,
                int32_t *word_count_out);

/* Moves the words containing '=' behind the others (the first one found last); the first word
 * always counts as plain. Stores the count and the start of each part; with no words all four
 * are 0. first is not used. */
void nlcpargs(void *first, int32_t word_count, char **words, int32_t *option_count_out, char ***options_out,
              int32_t *plain_count_out, char ***plain_out);

KELNL_EXTERN_C_END

#endif
