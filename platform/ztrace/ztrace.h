/* The external trace library kelzt (libkelzt.so.8, kelzt8.dll): the calls the trace bridge makes.
 *
 * kelnl reaches this library only through these eight operations. On Windows kelzt8.dll exports
 * them by ordinal alone (NONAME) and kelnl8.dll imports them by ordinal; the ordinal of each is in
 * its name. Elsewhere they are ordinary exported names.
 *
 * Most calls open with three words that identify the caller's interface: 2, 0x0B74FCB3 and 115
 * (ZT_WORD_1, ZT_INTERFACE_ID, ZT_WORD_3), and many pass the version text "V3.0". The state word
 * is filled at registration and handed back by address on every later call of that
 * registration. Every call returns 0 on success or an error number. All calls may be made from
 * several threads; records of one registration are appended whole.
 *
 * This implementation: the state word is a serial number naming the registration (never 0), so
 * a stale or foreign word is refused (error 3) instead of followed. A configured registration
 * writes a binary trace file <trace base name>_<process id>.ztr in the directory of the
 * configuration path: a 24-byte header ("KZTF", format version 1, header length, process id, startup name),
 * then records, each a 32-bit length followed by the type, a sequence number, the key, the
 * external argument and the record's bytes as given (platform/ztrace/trace_file.h has the
 * layout and a reader; `kelnl trace decode FILE` prints such a file). Records are buffered
 * until ordinal 20 or deregistration. Error numbers besides ZT_ERROR_*: 3 the state word names
 * no registration, 5 the trace file refused the bytes, 22 a null pointer, a malformed key, a
 * record type outside 0 to 13 or a control word other than 2 or 3. Calls whose first words or
 * version are not those of this interface get ZT_ERROR_REFUSED. */
#ifndef KELNL_PLATFORM_ZTRACE_H
#define KELNL_PLATFORM_ZTRACE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZT_WORD_1 2
#define ZT_INTERFACE_ID 192216243u /* 0x0B74FCB3 */
#define ZT_WORD_3 115
#define ZT_VERSION "V3.0"

/* Register failures the bridge tells apart. */
#define ZT_ERROR_REFUSED 67
#define ZT_ERROR_CONFIGURATION 43
#define ZT_ERROR_RESOURCES 11

/* The registration handle points to a block whose second 32-bit word is 1 while the trace is on. */
#define ZT_HANDLE_ON_WORD 1

/* Record types of zt18_write. */
#define ZT_TYPE_DETAIL_LOW 1    /* levels 3 and 4 */
#define ZT_TYPE_DETAIL_MID 2    /* levels 5 and 6 */
#define ZT_TYPE_DETAIL_HIGH 3   /* levels 7 and above */
#define ZT_TYPE_DUMP 4
#define ZT_TYPE_KEY 7
#define ZT_TYPE_FATAL 12        /* levels 0 and 1 */
#define ZT_TYPE_ERROR 13        /* level 2 */
#define ZT_TYPE_COUNT 14        /* words of the enable vector, indexed by type */

/* 22: register. (2, id, 115, "V3.0", startup_name, 0, handle_slot, 14, 2, 0, 0, 0, 0, state).
 * startup_name is an 11-character text (not terminated). On success *handle_slot is the
 * registration handle and *state filled. Errors: ZT_ERROR_*, or another number. */
int32_t zt22_register(int32_t word_1, uint32_t interface_id, int32_t word_3, const char *version,
                      const char *startup_name, int32_t zero, void **handle_slot,
                      int32_t type_count, int32_t two, int32_t zero_1, int32_t zero_2,
                      int32_t zero_3, int32_t zero_4, uintptr_t *state);

/* 13: configure. (2, id, 115, "V3.0", enable_vector[14], trace_name, configuration_path, 0, 0,
 * state). Word t of the vector enables records of type t. The records go to a binary trace file
 * named after trace_name (without extension) in the directory configuration_path; the trace is
 * on (handle block word 1 set) from here on. Of trace_name (the internal trace file's name,
 * usually a whole path) only the last component is used, "trace" when it is empty;
 * configuration_path names a file (the external trace configuration file) whose directory is
 * used, the current directory when it has no separator. ZT_ERROR_CONFIGURATION for a null
 * vector, name or path, a last component longer than 256 characters or "." or "..", a file that
 * cannot be created, or a file another live registration of the process writes. A new file
 * starts afresh; configuring again the file a registration wrote last continues it. */
int32_t zt13_configure(int32_t word_1, uint32_t interface_id, int32_t word_3,
                       const char *version, const int32_t *enable_vector,
                       const char *trace_name, const char *configuration_path, int32_t zero_1,
                       int32_t zero_2, uintptr_t *state);

/* 11: control, called whole as (2, 3, argument, 0, size_slot). A non-null size_slot receives
 * the size of a key record plus 8 (a positive number) when argument names a live registration's
 * state word or is 0. */
int32_t zt11_control(int32_t two, int32_t three, uintptr_t argument, int32_t zero,
                     int32_t *size_slot);

/* 8: key. (2, id, 115, "V3.0", hex_key, 3, state): hex_key is 16 hexadecimal characters, not
 * terminated, and becomes the key stamped on the following records. */
int32_t zt8_set_key(int32_t word_1, uint32_t interface_id, int32_t word_3, const char *version,
                    const char *hex_key, int32_t three, uintptr_t *state);

/* 18: write a record. (2, id, 115, type, 0, record, length, 0, external_argument, 0, state).
 * Appended whole when type's word of the enable vector is set; dropped otherwise (result 0). */
int32_t zt18_write(int32_t word_1, uint32_t interface_id, int32_t word_3, int32_t type,
                   int32_t zero_1, const void *record, uint32_t length, int32_t zero_2,
                   uintptr_t external_argument, int32_t zero_3, uintptr_t *state);

/* 20: flush, called whole as (2): pushes appended records to their files. */
int32_t zt20_flush(int32_t two);

/* 24: deregister. (2, id, 115, "V3.0", 0, 3, state): the trace is off, the file closed. */
int32_t zt24_deregister(int32_t word_1, uint32_t interface_id, int32_t word_3,
                        const char *version, int32_t zero, int32_t three, uintptr_t *state);

/* 16: terminate at teardown. (2, id, 115, "V3.0", state): releases the registration. */
int32_t zt16_terminate(int32_t word_1, uint32_t interface_id, int32_t word_3, const char *version,
                       uintptr_t *state);

#ifdef __cplusplus
}
#endif

#endif
