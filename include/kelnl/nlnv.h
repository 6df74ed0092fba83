/* The name-value library (kelnv): parenthesised name-value texts such as connect descriptors and
 * process addresses, parsed into bindings that can be queried, edited and written back.
 *
 * A binding is a name with either an atom (a text) or a list (zero or more sub-bindings) as its
 * value. Text grammar, white space (blank, tab, CR, LF) allowed around every token:
 *
 *   binding := '(' name '=' value ')'
 *   value   := binding* | atom
 *
 * A name is one or more characters other than '(', ')', '=' and white space, kept as written. A
 * value whose first non-blank character is '(' is a list, and an empty value, as in "(A=)", is
 * an empty list. An atom runs to the ')' that closes its binding; '=' is ordinary inside it, a
 * '(' or ')' only inside double or single quotes or after a backslash, which escapes the next
 * character everywhere (inside quotes too). The atom is kept exactly as written minus the white
 * space around it. The text form written back is canonical: "(NAME=atom)" or "(NAME=(A=1)(B=2))"
 * with no white space added. Bindings nest at most NLNV_MAX_DEPTH deep, the outermost counting
 * as 1; no operation builds a deeper one.
 *
 * A path names a binding from a starting binding: '/'-separated names whose first is the
 * starting binding's own name ("DESCRIPTION/ADDRESS/HOST"); each further name selects the first
 * sub-binding of that name. Names in paths and tables match ignoring ASCII case.
 *
 * Handles are owned by whoever received them from nlnvcrb, nlnvcpb or nlnvcbp, and released with
 * nlnvdeb; sub-binding handles (nlnvgin, nlnvfbp) belong to their tree and stay valid until that
 * sub-binding is removed or the tree is destroyed. Returned texts point into the binding and live
 * as long as it does. Trees take no locks: a call that changes a tree needs it to itself, while
 * calls that only read a tree (copying included) may run in parallel, as may calls on different
 * trees.
 *
 * Every operation returns 0 on success and one of the non-zero NLNV_ERROR_* codes on failure,
 * except nlnvisa. A failed operation changes nothing and leaves nothing allocated. */
#ifndef KELNL_NLNV_H
#define KELNL_NLNV_H

#include "nlbase.h"

KELNL_EXTERN_C_BEGIN

/* The deepest nesting any binding tree may have. */
#define NLNV_MAX_DEPTH 512

/* Result codes. */
#define NLNV_ERROR_ARGUMENT 1   /* a required pointer is null, or an index is out of range */
#define NLNV_ERROR_MEMORY 2     /* memory ran out */
#define NLNV_ERROR_EMPTY 3      /* the text holds no binding: empty or only white space */
#define NLNV_ERROR_OPEN 4       /* the text does not begin with '(' */
#define NLNV_ERROR_NAME 5       /* a binding has an empty name */
#define NLNV_ERROR_EQUALS 6     /* a name is not followed by '=' */
#define NLNV_ERROR_CLOSE 7      /* a binding or list is not closed by ')' */
#define NLNV_ERROR_QUOTE 8      /* an atom ends inside quotes or on a lone backslash */
#define NLNV_ERROR_PAREN 9      /* an atom holds a '(' that is neither quoted nor escaped */
#define NLNV_ERROR_TRAILING 10  /* characters follow the closing ')' */
#define NLNV_ERROR_NUL 11       /* the text holds a NUL character */
#define NLNV_ERROR_DEPTH 12     /* nesting deeper than NLNV_MAX_DEPTH */
#define NLNV_ERROR_NOT_FOUND 13 /* no binding at the path, or no table entry matches */
#define NLNV_ERROR_NOT_LIST 14  /* the binding is an atom where a list is needed */
#define NLNV_ERROR_NOT_ATOM 15  /* the binding is a list where an atom is needed */
#define NLNV_ERROR_PATH 16      /* a path is empty, has an empty name, or cannot be used here */
#define NLNV_ERROR_BUFFER 17    /* the output buffer is too small */

/* An opaque binding; handles are pointers to it. */
typedef struct NlnvBinding NlnvBinding;

/* Caller storage that the operations taking one fill in and never read; it may be null. */
typedef struct NlnvError {
  int32_t code;        /* the operation's result, 0 after success */
  size_t offset;       /* parse failures: offset in the text where the fault was found */
  const char *message; /* a short English text for code (static storage, never null) */
} NlnvError;

/* Parses one parenthesised text of length bytes (no terminator needed) into a new binding stored
 * in *binding. On failure *binding is null and error, when given, says what and where. */
int32_t nlnvcrb(const char *text, size_t length, NlnvBinding **binding, NlnvError *error);

/* Destroys a binding and everything under it; a null binding is nothing to do (result 0). A
 * sub-binding is first removed from the list that holds it. */
int32_t nlnvdeb(NlnvBinding *binding);

/* Stores in *copy a deep copy that is changed and destroyed independently of the original; the
 * copy of a null binding is null (result 0). */
int32_t nlnvcpb(const NlnvBinding *binding, NlnvBinding **copy);

/* The name as written, NUL-terminated. */
int32_t nlnvgtn(const NlnvBinding *binding, const char **name, size_t *name_length);

/* Non-zero when the binding's value is a list (possibly empty), zero for an atom or null. */
int32_t nlnvisa(const NlnvBinding *binding);

/* The number of sub-bindings of a list. An atom gives NLNV_ERROR_NOT_LIST with a count of 0. */
int32_t nlnvnnv(const NlnvBinding *binding, uint32_t *count);

/* The index-th sub-binding of a list, counting from 1: the same handle on every call. An index
 * of 0 or beyond the count gives NLNV_ERROR_ARGUMENT. */
int32_t nlnvgin(NlnvBinding *binding, uint32_t index, NlnvBinding **sub_binding);

/* The atom text at a path (see above), NUL-terminated. NLNV_ERROR_NOT_FOUND when nothing is at
 * the path, NLNV_ERROR_NOT_ATOM when a list is. */
int32_t nlnvgap(const NlnvBinding *binding, const char *path, size_t path_length, const char **text,
                size_t *text_length, NlnvError *error);

/* The binding at a path: the starting binding itself for a one-name path, otherwise the first
 * sub-binding of each name along the way. */
int32_t nlnvfbp(NlnvBinding *binding, const char *path, size_t path_length,
                NlnvBinding **found, NlnvError *error);

/* The atom text of a binding, NUL-terminated; a list gives NLNV_ERROR_NOT_ATOM. */
int32_t nlnvgta(const NlnvBinding *binding, const char **text, size_t *text_length);

/* Appends a copy of item to the end of list (which may be item itself or hold it). The item
 * stays with its owner. NLNV_ERROR_NOT_LIST for an atom, NLNV_ERROR_DEPTH when the result would
 * nest too deep. */
int32_t nlnvibb(const NlnvBinding *item, NlnvBinding *list);

/* Removes and destroys the binding at a path of two or more names. A path that leads nowhere
 * changes nothing and is no error (result 0); a one-name path, which names the binding itself,
 * gives NLNV_ERROR_PATH. Handles to the removed binding and below it become invalid. */
int32_t nlnvdbp(NlnvBinding *binding, const char *path, size_t path_length, NlnvError *error);

/* The length of the binding's text form, without a terminating NUL. */
int32_t nlnvszs(const NlnvBinding *binding, size_t *size);

/* Writes the text form and a terminating NUL into buffer (size bytes: the nlnvszs size + 1) and
 * stores the text's length. A buffer too small gives NLNV_ERROR_BUFFER, the needed length in
 * *length and an empty text when size allows one. */
int32_t nlnvcrs(const NlnvBinding *binding, char *buffer, size_t size, size_t *length);

/* table: null-terminated alternative names and paths ("ADDRESS", "DES/ADD", ...). The first entry
 * that resolves from the binding in *binding (a name resolves to the binding itself) selects a
 * binding B, and *binding is replaced by a new binding named by name/name_length: a copy of B's
 * sub-bindings when B is a list, B itself wrapped as the only sub-binding when B is an atom. The
 * old binding is destroyed. NLNV_ERROR_NOT_FOUND when no entry resolves; *binding is then kept. */
int32_t nlnvcbp(const char *const *table, const char *name, size_t name_length,
                NlnvBinding **binding);

/* table: null-terminated rows of ':'-separated alternative names ("PROG:PROGRAM:NAME"). For row
 * i, texts[i] and lengths[i] receive the atom of the first alternative, in row order, that names
 * an atom sub-binding of binding (the first of that name); null and 0 when none does. A
 * sub-binding whose value is a list has no atom and counts as absent. */
int32_t nlnvlet(const NlnvBinding *binding, const char *const *table, const char **texts,
                size_t *lengths);

KELNL_EXTERN_C_END

#endif
