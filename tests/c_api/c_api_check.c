/* Compiled as C11: every public header must be valid C, and the library usable from C. */
#include <stdio.h>
#include <string.h>

#include "kelnl/kelnl.h"

static int failures = 0;

static void check(int condition, const char *what) {
  if (!condition) {
    fprintf(stderr, "c_api_check: %s\n", what);
    ++failures;
  }
}

int main(void) {
  NlGlobalContext *context = NULL;
  NlPrimaryErrorRecord record;
  memset(&record, 0, sizeof record);

  check(sscoreserverflag == 0, "an ordinary process starts with the server flag clear");
  nlstdini(&context);
  check(context != NULL, "nlstdini gives the process record");
  check(context != NULL && nlifigbl(context) == 0, "nlifigbl builds the descriptor");
  check(context != NULL && context->data_representation->vector[0] == 32, "the vector is 32 bytes");
  nlstdtrm(&context);
  check(context == NULL, "the last nlstdtrm nulls the pointer");

  check(nlepepe(&record, 1, 401, 2) == 401 && record.count == 1, "nlepepe records");
  {
    NlHashTable *table = nlhthnew(nlhthskey, nlhthteq);
    int value = 7;
    check(table != NULL && nlhthput(table, "abc", 3, &value) == &value, "nlhthput stores");
    check(nlhthget(table, "abc", 3) == &value, "nlhthget finds");
    nlhthfre(table);
  }

  {
    NlMessageFacility *messages = NULL;
    char text[128];
    size_t length = 0;
    check(nleminz(&record, &messages, 1, text, sizeof text, &length) == 0, "nleminz starts");
    check(nlemgmz(&record, messages, 1, NLE_NULL_CONTEXT, 2, 0, 0, 1, text, sizeof text, &length) == 0 &&
              strncmp(text, "NL-00600: ", 10) == 0 && length == strlen(text),
          "nlemgmz formats with the prefix");
    check(nlemdestroy(&record, &messages) == 0 && messages == NULL, "nlemdestroy nulls the slot");
  }
  if (failures == 0) printf("c_api_check: ok\n");
  return failures == 0 ? 0 : 1;
}
