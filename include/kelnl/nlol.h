/* Directory-stored configuration: reading the directory entry of a listener, a profile, a
 * connection manager or a net service name and turning its attributes into parameters named and
 * shaped as they would appear in the corresponding parameter file.
 *
 * The directory is named by the directory-access parameter file ldap.kel (in the administration
 * directory under the product home, see nlpagetldparam):
 *   net_config_method    ldap (any case) makes nlpainso read the directory instead of files
 *   homeid               the home entry: plain names become "cn=NAME,cn=HOMEID,SYSTEMNAME"
 *   systemname_in_dir    the entry under which homes are stored, e.g. "o=kel,c=fi"
 *   directory_backend    ldif (the default, also when absent) or ldap
 *   directory_ldif_file  ldif: the LDIF file holding the entries; a relative name is taken
 *                        relative to the folder of ldap.kel
 *   directory_uri        ldap: the server, e.g. ldap://127.0.0.1:3890
 *   directory_bind_dn    ldap: the entry to bind as; absent or empty binds anonymously
 *   directory_password   ldap: the bind password
 * Net service names are looked up below "cn=HOMEID,SYSTEMNAME" (below SYSTEMNAME alone when
 * homeid is absent). The directory is opened for each nlolgobj and closed before it returns.
 *
 * Nothing here locks: callers serialise as they do for parameter tables. Every block handed out
 * comes from the library allocator and goes back through nlolfmem. */
#ifndef KELNL_NLOL_H
#define KELNL_NLOL_H

#include "nlbase.h"
#include "nlstd.h"

KELNL_EXTERN_C_BEGIN

/* Object kinds. */
#define NLOL_KIND_LISTENER 1
#define NLOL_KIND_PROFILE 2
#define NLOL_KIND_CONNECTION_MANAGER 4
#define NLOL_KIND_PROFILE_BY_NAME 8
#define NLOL_KIND_SERVICE_NAME 22

/* Results of nlolgobj and of the converters. */
#define NLOL_OK 0
#define NLOL_FAILED 1    /* an entry could not be read or converted */
#define NLOL_NO_MEMORY 2

/* One parameter: name and value, both NUL-terminated and owned by the pair. */
typedef struct NlolPair {
  char *name;
  char *value;
} NlolPair;

/* One entry read from the directory, with the directory it came from. Opaque. */
typedef struct NlolEntry NlolEntry;

/* Reads the entry (or entries) of the object of the given kind and name and fills a new pair
 * list: *pairs receives an array of *count pairs (null and 0 when nothing was produced), to be
 * released with nlolfmem. A name of kinds 1, 2, 4 and 8 without '.', '=' and '@' is a plain name
 * completed with homeid and systemname_in_dir; profiles fall back to the name as given when that
 * entry does not exist or homeid is absent. A profile naming a shared profile gets the shared
 * profile's parameters first and its own on top. NLOL_FAILED also for an unknown kind, an
 * unreadable ldap.kel or a directory that cannot be opened; on any failure nothing is kept. */
int32_t nlolgobj(NlGlobalContext *context, const char *name, int32_t kind, NlolPair ***pairs, uint32_t *count);

/* Releases every pair's name and value, every pair and the list. Null lists are ignored. 0. */
int32_t nlolfmem(NlGlobalContext *context, NlolPair **pairs, uint32_t count);

/* The converters: each turns the attributes of an entry read by nlolgobj (entry, named
 * entry_name as the directory knows it, against which subordinate entries are named) into pairs
 * appended to *pairs and *count. On failure the pairs added so far stay in the list for the
 * caller to release. */

/* Listener `name`: its parameters are suffixed "_" + name; the end-point list becomes the
 * parameter `name` itself, holding the address text. */
int32_t nlolglist(NlGlobalContext *context, const char *name, NlolPair ***pairs, uint32_t *count,
                  NlolEntry *entry, const char *entry_name);
/* Profile: parameters named as in a profile file. With replace non-zero a name already in the
 * list gets the new value (a profile read over its shared profile); otherwise pairs are appended. */
int32_t nlolgprof(NlGlobalContext *context, const char *name, NlolPair ***pairs, uint32_t *count,
                  NlolEntry *entry, const char *entry_name, int32_t replace);
/* Connection manager: fills the values of the three pairs nlolgobj prepared at the end of the
 * list (the name, name_profile, name_rules); a pair left without a value has a null value. */
int32_t nlolgcman(NlGlobalContext *context, const char *name, NlolPair ***pairs, uint32_t *count,
                  NlolEntry *entry, const char *entry_name);
/* Net service name: fills the value of the last pair of the list with the service's connect
 * descriptor, the stored text or one built from its description entries. */
int32_t nlolgserv(NlGlobalContext *context, const char *name, NlolPair ***pairs, uint32_t *count,
                  NlolEntry *entry, const char *entry_name);

KELNL_EXTERN_C_END

#endif
