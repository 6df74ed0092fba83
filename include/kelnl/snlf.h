/* The operating-system file layer: C runtime streams, deletion, renaming, temporary files and
 * probes, each reporting failure through the caller's NlOsErrorRecord.
 *
 * Record rules: every operation clears the record on entry, except snlfrd, snlfwrt and snlfchd,
 * which write it only when they fail. The result is the code stored in the record (0 on
 * success) unless a declaration says otherwise. A null record is allowed: the outcome is then
 * only returned. Output slots other than the handle slots may be null; their value is then not
 * delivered. The operations are as thread-safe as the C runtime calls they make. */
#ifndef KELNL_SNLF_H
#define KELNL_SNLF_H

#include <stdarg.h>
#include <stdio.h>

#include "nlbase.h"
#include "nlep.h"

KELNL_EXTERN_C_BEGIN

/* Mode bits of snlfohd. */
#define SNLF_MODE_READ 1u
#define SNLF_MODE_WRITE 2u
#define SNLF_MODE_APPEND 4u
#define SNLF_MODE_CREATE 8u /* with read and write: truncate */
#define SNLF_MODE_BINARY 16u

/* Selectors of snlfoty. */
#define SNLF_STANDARD_INPUT 1u
#define SNLF_STANDARD_OUTPUT 2u
#define SNLF_STANDARD_ERROR 3u

/* Longest names accepted before any system call; over-long names put the limit in 'extra'. */
#define SNLF_OPEN_NAME_LIMIT 256u
#define SNLF_NAME_LIMIT 255u
#define SNLF_OVERLONG_EXTRA 256u

/* The smallest output buffer of snlftmp. */
#define SNLF_TEMPORARY_BUFFER_MINIMUM 22u

/* Codes stored in NlOsErrorRecord.operation (reported under facility 3). */
#define SNLF_TMP_BUFFER_TOO_SMALL 1
#define SNLF_TMP_OPEN_FAILED 2
#define SNLF_DEL_NAME_TOO_LONG 3
#define SNLF_DEL_FAILED 4 /* also: snlfrnm could not delete the existing target */
#define SNLF_RNM_OLD_NAME_TOO_LONG 5
#define SNLF_RNM_NEW_NAME_TOO_LONG 6
#define SNLF_RNM_MOVE_FAILED 7
#define SNLF_OPEN_NAME_TOO_LONG 13
#define SNLF_OPEN_NO_HANDLE_SLOT 14
#define SNLF_OPEN_BAD_MODE 15
#define SNLF_OPEN_FAILED 16
#define SNLF_STD_BAD_SELECTOR 17
#define SNLF_CLOSE_NULL_HANDLE 18
#define SNLF_CLOSE_FAILED 19
#define SNLF_GETC_NULL_HANDLE 20
#define SNLF_GETC_END_OF_FILE 21
#define SNLF_GETC_READ_ERROR 22
#define SNLF_UNGETC_NULL_HANDLE 23
#define SNLF_UNGETC_FAILED 24
#define SNLF_PRINT_NULL_HANDLE 25
#define SNLF_PRINT_FAILED 26
#define SNLF_PRINT_STDOUT_FAILED 27
#define SNLF_LINE_NULL_HANDLE 28
#define SNLF_LINE_END_OF_FILE 29
#define SNLF_LINE_FAILED 30
#define SNLF_WRITE_NULL_HANDLE 31
#define SNLF_WRITE_FAILED 32
#define SNLF_READ_NULL_HANDLE 33
#define SNLF_READ_NOTHING 34
#define SNLF_FLUSH_NULL_HANDLE 35
#define SNLF_FLUSH_FAILED 36
#define SNLF_TELL_NULL_HANDLE 37
#define SNLF_TELL_FAILED 38
#define SNLF_SEEK_NULL_HANDLE 39
#define SNLF_SEEK_FAILED 40
#define SNLF_PRINT_STDERR_FAILED 41
#define SNLF_VPRINT_NULL_HANDLE 42
#define SNLF_VPRINT_FAILED 43
#define SNLF_ACCESS_NO_SUCH_FILE 44
#define SNLF_ACCESS_DENIED 45
#define SNLF_STAT_FAILED 47
#define SNLF_ACCESS_NO_MEMORY 51

/* Opens the file 'name' (name_length bytes, need not be terminated) as a stream; mode is a set
 * of SNLF_MODE_* bits: read 'r', read+write 'r+', read+write+create 'w+', read+write+append
 * 'a+', write 'w', write+append 'a'; binary or text mode follows SNLF_MODE_BINARY. The caller
 * owns the stream in *handle_slot (null on failure) and closes it with snlfchd.
 * Codes 13 (name over 256 characters), 14, 15, 16 (with errno). */
int32_t snlfohd(NlOsErrorRecord *record, uint32_t mode, const char *name, uint32_t name_length,
                FILE **handle_slot);

/* Stores standard input (1), output (2) or error (3) in *handle_slot. 17 for another selector,
 * the selector in 'extra'; 14 for a null slot. */
int32_t snlfoty(NlOsErrorRecord *record, uint32_t selector, FILE **handle_slot);

/* Closes the stream; the three standard streams are left open (success). 18, 19 (+ errno). */
int32_t snlfchd(NlOsErrorRecord *record, FILE *handle);

/* Flushes the stream. 35, 36 (+ errno). */
int32_t snlffls(NlOsErrorRecord *record, FILE *handle);

/* Reads one character into *character. 20; 21 at end of file; 22 on a read error (the system
 * error is the stream's error indicator). */
int32_t snlfgch(NlOsErrorRecord *record, FILE *handle, int32_t *character);

/* Pushes one character back onto the stream. 23, 24 (+ errno). */
int32_t snlfuch(NlOsErrorRecord *record, FILE *handle, int32_t character);

/* Reads one line (at most size - 1 characters, the newline kept, terminated) and stores its
 * length. 28, 29 at end of file, 30 on failure (+ errno). */
int32_t snlfglh(NlOsErrorRecord *record, FILE *handle, char *buffer, uint32_t size, uint32_t *length);

/* snlfglh on standard input. */
int32_t snlfglt(NlOsErrorRecord *record, char *buffer, uint32_t size, uint32_t *length);

/* Reads up to size bytes and stores the number read. 33; 34 when nothing was read (end of file
 * or error, + errno). Size 0 reads nothing and succeeds. Writes the record only on failure. */
int32_t snlfrd(NlOsErrorRecord *record, FILE *handle, void *buffer, uint32_t size, uint32_t *count);

/* Writes size bytes as one item; size 0 succeeds without writing. 31, 32 (+ errno). Writes the
 * record only on failure. */
int32_t snlfwrt(NlOsErrorRecord *record, FILE *handle, const void *buffer, uint32_t size);

/* Positions the stream: origin 0 start, 1 current, 2 end (origin before offset). 39, 40. */
int32_t snlfsek(NlOsErrorRecord *record, FILE *handle, int32_t origin, int32_t offset);

/* Stores the current position (0 first). 37, 38 (+ errno; EOVERFLOW past 32 bits). */
int32_t snlftel(NlOsErrorRecord *record, FILE *handle, int32_t *position);

/* Formatted output to the stream, not flushed. 25, 26 (+ errno). */
int32_t snlfprh(NlOsErrorRecord *record, FILE *handle, const char *format, ...);

/* Formatted output from an argument list, then a flush. 42, 43 (+ errno). */
int32_t snlfvfp(NlOsErrorRecord *record, FILE *handle, const char *format, va_list arguments);

/* Formatted output to standard output, then a flush of standard output. 27 (+ errno). */
int32_t snlfprt(NlOsErrorRecord *record, const char *format, ...);

/* Formatted output to standard error. 41 (+ errno). */
int32_t snlfpre(NlOsErrorRecord *record, const char *format, ...);

/* Deletes the file. 3 for a name over 255 characters (extra 256); 4 (+ errno). */
int32_t snlfdel(NlOsErrorRecord *record, const char *name, uint32_t name_length);

/* Renames old_name to new_name, replacing an existing file of the new name. 5 and 6 for names
 * over 255 characters (extra 256); 4 when an existing target could not be deleted (the move is
 * still tried); 7 when the move failed (+ the system's error). */
int32_t snlfrnm(NlOsErrorRecord *record, const char *old_name, uint32_t old_length, const char *new_name,
                uint32_t new_length);

/* Creates and opens (for writing) a new temporary file in the directory of template_path: the
 * name is that directory, a separator, the process identifier, a dot and a process-wide
 * counter running from 0 to 998 (not locked). The name goes into buffer, its length into
 * *length and the stream into *handle_slot. 1 when size is below 22; 2 when the open failed
 * (+ errno), or when handle_slot is null. */
int32_t snlftmp(NlOsErrorRecord *record, const char *template_path, uint32_t template_length, char *buffer,
                uint32_t size, uint32_t *length, FILE **handle_slot);

/* Probes access to the file with the C runtime's access modes (0 existence, 2 write, 4 read,
 * 6 both). Results: 0; 44 no such file; 45 access denied (both + errno); 1 with code 51 when
 * the name could not be copied; 1 with code 0 and errno for any other failure. */
int32_t snlfacc(NlOsErrorRecord *record, int32_t mode, const char *name, uint32_t name_length);

/* Stores the file's last modification time in seconds since 1970 times 100, kept in 32 bits
 * (wrapping). 47 (+ errno, time 0) when the file cannot be examined. */
int32_t snlflch(NlOsErrorRecord *record, const char *name, void *reserved, uint32_t *time);

KELNL_EXTERN_C_END

#endif
