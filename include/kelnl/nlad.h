/* Address descriptor expansion: a connect descriptor (a parenthesised name-value tree of
 * DESCRIPTION_LIST, DESCRIPTION, ADDRESS_LIST and ADDRESS) expanded once into an iterator that
 * hands out, call by call, the next address to try, honouring FAILOVER, LOAD_BALANCE,
 * SOURCE_ROUTE and HOP_COUNT.
 *
 * Order with the defaults: a DESCRIPTION_LIST takes its descriptions in random order (each at most
 * once); a description works through its addresses in descriptor order, an ADDRESS_LIST member
 * before the next member. LOAD_BALANCE on makes each fresh choice of a level random among its
 * members still active (off, no or false switches it off, also on a DESCRIPTION_LIST).
 * FAILOVER off makes a level hand out one address only. SOURCE_ROUTE on makes a level hand out
 * only its hop-th member (HOP_COUNT, 1 by default) and forward the whole route. Values are
 * compared ignoring case; other values change nothing.
 *
 * A handle belongs to one caller and takes no locks. Random choices draw from the context's
 * generator (nlrngr), which callers sharing a context must not use at the same time. No error
 * is pushed on the context's error stack: the result codes are the only report. Entry and exit
 * are traced when the context's trace is on. */
#ifndef KELNL_NLAD_H
#define KELNL_NLAD_H

#include "nlbase.h"
#include "nlnv.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Option bits of nladini and nladini_t. */
#define NLAD_OPTION_PROTOCOL 0x1u     /* store the PROTOCOL text of each handed-out address */
#define NLAD_OPTION_ROUTED_ONLY 0x2u  /* in a list with a source-routed member, drop the others */
#define NLAD_OPTION_NEXT_HOP 0x4u     /* the caller is a hop of a route: every hop number + 1 */
#define NLAD_OPTION_LIST_IN_ORDER 0x8u /* a DESCRIPTION_LIST is shuffled only with LOAD_BALANCE on */

/* Results of nladini and nladini_t. */
#define NLAD_INIT_OK 0
#define NLAD_INIT_BAD_ARGUMENT 1 /* null argument, unparsable text or a failed name-value lookup */
#define NLAD_INIT_NO_MEMORY 2
#define NLAD_INIT_SLOT_FULL 3    /* the handle slot already holds a handle */
#define NLAD_INIT_NO_ADDRESS 4   /* the top binding is none of the four structural keywords */

/* Results of nladget. */
#define NLAD_GET_OK 0
#define NLAD_GET_NO_HANDLE 3
#define NLAD_GET_NONE_LEFT 4

/* The largest number of members a list may have: the member being worked through is kept in 16
 * bits. A longer list makes nladini refuse the descriptor with NLAD_INIT_BAD_ARGUMENT. */
#define NLAD_MAX_LIST_MEMBERS 65535u

/* One node per binding of the descriptor; private to the library. */
struct NlAddressNode;

/* The iterator. Callers read protocol; the other fields belong to the library. */
typedef struct NlAddressIterator {
  const char *protocol;         /* PROTOCOL text of the address handed out last (option 1), or
                                   null; it points into the descriptor */
  struct NlAddressNode *root;
  NlGlobalContext *context;
  NlnvBinding *descriptor;
  int32_t owns_descriptor;      /* 1 when nladini_t parsed the descriptor: nladtrm destroys it */
  uint16_t options;
} NlAddressIterator;

/* Expands descriptor (not copied: it must outlive the handle and stay unchanged) into a new
 * iterator stored in *handle_slot, which must hold null. Results: NLAD_INIT_*. On every non-zero
 * result nothing stays allocated and the slot is left as it was (null, or the handle already in
 * it for NLAD_INIT_SLOT_FULL). A list of more than NLAD_MAX_LIST_MEMBERS members gives
 * NLAD_INIT_BAD_ARGUMENT. */
int32_t nladini(NlGlobalContext *context, NlAddressIterator **handle_slot, NlnvBinding *descriptor,
                uint16_t options);

/* nladini over a descriptor parsed from text (text_length bytes, no terminator needed); the
 * handle owns the parsed binding. Text the name-value library cannot parse (unbalanced
 * parentheses, nesting deeper than NLNV_MAX_DEPTH, ...) gives NLAD_INIT_BAD_ARGUMENT. */
int32_t nladini_t(NlGlobalContext *context, NlAddressIterator **handle_slot, const char *text,
                  size_t text_length, uint16_t options);

/* Hands out the next address. On NLAD_GET_OK *connect_out is what to connect with (the chosen
 * ADDRESS, or a DESCRIPTION holding it with the description's other parameters) and
 * *forward_out what to forward (the same, or for source routes the whole route with the chosen
 * member and, with option 4, the new HOP_COUNT). Both belong to the iterator and stay valid until
 * the same part of the descriptor builds its next output or nladtrm; copy what must be kept.
 * When memory runs out while an output is built, that output is null although the result is
 * NLAD_GET_OK. On any other result *connect_out is null and *forward_out unchanged.
 * NLAD_GET_NONE_LEFT also comes when a chosen member holds no address at all; a further call
 * moves on to the next member. NLAD_GET_NO_HANDLE when handle, connect_out or forward_out is
 * null. */
int32_t nladget(NlAddressIterator *handle, NlnvBinding **connect_out, NlnvBinding **forward_out);

/* Releases the iterator in *handle_slot, with the descriptor when the handle owns it, and sets
 * the slot to null. Nothing for a null slot or a slot holding null. */
void nladtrm(NlAddressIterator **handle_slot);

KELNL_EXTERN_C_END

#endif
