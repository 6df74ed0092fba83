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

static int timer_runs = 0;
static void count_run(NlGlobalContext *context, void *argument, NlTimer *timer, uint32_t now, int32_t value) {
  (void)context;
  (void)timer;
  (void)now;
  timer_runs += *(int *)argument + value;
}

/* A single-threaded timer service driven by its caller. */
static void check_timers(void) {
  NlGlobalContext context;
  NlTimer *timer = NULL;
  uint32_t fired = 0;
  uint32_t next = 0;
  int one = 1;
  memset(&context, 0, sizeof context);
  check(nltmini(&context, 4, NL_TIMER_SINGLE_THREADED) == 0 && context.timer_facility != NULL, "nltmini");
  check(nltmntm(&context, count_run, &one, 2, &timer) == 0 && timer != NULL, "nltmntm");
  check(nltmstm(&context, timer, 0) == 0 && nltmdrv(&context, &next, &fired) == 0 && fired == 1 &&
            next == 0 && timer_runs == 3,
        "nltmdrv runs the due timer");
  check(nltmdei(&context) == 0 && context.timer_facility == NULL, "nltmdei");
}

/* The name-value library, reached through kelnl's headers and link. */
static void check_name_value(void) {
  static const char text[] = "(DESCRIPTION=(ADDRESS=(HOST=db1)(PORT=1521)))";
  NlnvBinding *binding = NULL;
  NlnvError error;
  const char *port = NULL;
  size_t length = 0;
  char written[sizeof text];
  check(nlnvcrb(text, sizeof text - 1, &binding, &error) == 0 && error.code == 0, "nlnvcrb parses");
  check(nlnvgap(binding, "DESCRIPTION/ADDRESS/PORT", 24, &port, &length, &error) == 0 &&
            length == 4 && strcmp(port, "1521") == 0,
        "nlnvgap finds the port");
  check(nlnvcrs(binding, written, sizeof written, &length) == 0 && strcmp(written, text) == 0,
        "nlnvcrs writes the text back");
  check(nlnvdeb(binding) == 0, "nlnvdeb");
  check(nlnvcrb("(A=", 3, &binding, &error) == NLNV_ERROR_CLOSE && binding == NULL &&
            error.offset == 3,
        "nlnvcrb refuses an unclosed binding");
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
  {
    NlDiagStream *stream = NULL;
    uint32_t kind = 0;
    check(nldsinit(&record, &stream, NULL, NLDS_KIND_STANDARD_ERROR, 0, NULL) == 0, "nldsinit");
    check(nldsinfo(&record, stream, &kind, NULL, NULL) == 0 && kind == NLDS_KIND_STANDARD_ERROR, "nldsinfo");
    check(nldsfprintf(&record, stream, "%s", "") == 0, "nldsfprintf");
    check(nldsdestroy(&record, &stream) == 0 && stream == NULL, "nldsdestroy nulls the slot");
  }
  {
    uint8_t id[NLUI_ID_BYTES];
    char text[NLUI_TEXT_BUFFER_SIZE];
    check(nluicrt(NULL, id) == NLUI_STATUS_OK && nluits(id, text) == NLUI_TEXT_LENGTH && text[12] == '-',
          "nluicrt and nluits");
    check(nluifs(text, id) == 0 && nluiheql(id, 0, id) == 1, "nluifs reads the text back");
  }
  check_name_value();
  check_timers();
  if (failures == 0) printf("c_api_check: ok\n");
  return failures == 0 ? 0 : 1;
}
