/* Multiple address descriptors: a simpler iterator over a connect descriptor given as text.
 * Whatever its top keyword (ADDRESS, ADDRESS_LIST, DESCRIPTION or DESCRIPTION_LIST, matched
 * ignoring case after any leading '(' and blanks), the descriptor is normalised into one
 * DESCRIPTION_LIST. Each nlmadget hands out one entry: descriptions are taken in random order,
 * each exactly once, and within a description the members of its ADDRESS_LIST in order.
 * FAILOVER and LOAD_BALANCE are not read. A source-routed description is handed out whole, or,
 * with a HOP_COUNT, as the member of its ADDRESS_LIST after that hop.
 *
 * Entries come as (copies of) the caller's own bindings: a bare ADDRESS given alone or in a bare
 * ADDRESS_LIST comes out bare; an address from a description's ADDRESS_LIST comes out as that
 * description with the one address in place of the list (appended after its other members).
 *
 * A handle belongs to one caller and takes no locks. Random choices draw from the context's
 * generator, which nlmadini re-seeds. No error is pushed on the error stack: the result codes
 * are the only report. Entry and exit are traced when the context's trace is on. */
#ifndef KELNL_NLMAD_H
#define KELNL_NLMAD_H

#include "nlbase.h"
#include "nlnv.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Option bits of nlmadini. */
#define NLMAD_OPTION_TEXTS 0x1u       /* fill entry_text, address_text and protocol */
#define NLMAD_OPTION_ROUTED_ONLY 0x2u /* see nlmadini */

/* Results of nlmadini. */
#define NLMAD_INIT_OK 0
#define NLMAD_INIT_NO_MEMORY 1
#define NLMAD_INIT_REFUSED 2 /* no known top keyword, unparsable text, or a null argument */

/* Results of nlmadget. */
#define NLMAD_GET_OK 0
#define NLMAD_GET_NO_MEMORY 1 /* the entry was reached but could not be copied or written out */
#define NLMAD_GET_NO_ADDRESS 2 /* the description reached holds no ADDRESS or ADDRESS_LIST */
#define NLMAD_GET_NONE_LEFT 3

/* Forms of the caller's descriptor (field form). */
#define NLMAD_FORM_ADDRESS 0
#define NLMAD_FORM_ADDRESS_LIST 1
#define NLMAD_FORM_DESCRIPTION 2
#define NLMAD_FORM_DESCRIPTION_LIST 3

/* Descriptions the table `used` tracks itself; those beyond it are tracked in more_used. */
#define NLMAD_USED_SLOTS 10
/* The most descriptions one descriptor may hold: the random choice works in 16 bits. */
#define NLMAD_MAX_DESCRIPTIONS 65535u

/* The iterator. Callers read entry, entry_text, address_text and protocol after nlmadget; they
 * stay valid until the next nlmadget or nlmadtrm. The other fields belong to the library. */
typedef struct NlMultiAddressIterator {
  NlnvBinding *entry;          /* copy of the last entry handed out */
  char *entry_text;            /* option 1: entry as text, NUL-terminated */
  char *address_text;          /* option 1: the entry's first address as text */
  const char *protocol;        /* option 1: that address's PROTOCOL, or null */
  uint32_t options;
  NlGlobalContext *context;
  const char *descriptor_text; /* the caller's text, not copied */
  uint32_t descriptor_length;
  NlnvBinding *list;           /* the normalised DESCRIPTION_LIST */
  int32_t form;                /* NLMAD_FORM_* */
  uint32_t description_count;
  int32_t current_description; /* -1: none */
  int32_t address_count;
  int32_t next_address;        /* -1: the current description is not opened yet */
  int32_t used[NLMAD_USED_SLOTS]; /* per description: handed out or excluded */
  uint8_t *more_used;          /* the same for descriptions 11 onwards; null for ten or fewer */
} NlMultiAddressIterator;

/* Normalises the descriptor text (text_length bytes; it is read up to a NUL, and must outlive the
 * handle) into a new handle stored in *handle_slot. A handle already in the slot is released
 * first. Re-seeds the context's random generator. Every description of the descriptor is handed
 * out, however many there are (up to NLMAD_MAX_DESCRIPTIONS; more are refused).
 * Option 2: when the text contains "SOURCE_ROUTE=yes", "source_route=yes" or "SOURCE_ROUTE=YES"
 * written exactly so, only descriptions with a SOURCE_ROUTE parameter are handed out.
 * Results: NLMAD_INIT_*; on a non-zero result the slot holds null and nothing stays allocated. */
int32_t nlmadini(NlGlobalContext *context, NlMultiAddressIterator **handle_slot, const char *text,
                 uint32_t text_length, uint32_t options);

/* Hands out the next entry into the handle's fields. Results: NLMAD_GET_*. NLMAD_GET_NONE_LEFT
 * also for a null handle or a descriptor without descriptions. After NLMAD_GET_NO_ADDRESS the
 * handle is only good for nlmadtrm. After NLMAD_GET_NO_MEMORY the fields are null, the handle
 * stays usable and the entry counts as handed out. */
int32_t nlmadget(NlMultiAddressIterator *handle);

/* Releases the handle in *handle_slot and sets the slot to null; nothing for an empty slot. */
void nlmadtrm(NlMultiAddressIterator **handle_slot);

KELNL_EXTERN_C_END

#endif
