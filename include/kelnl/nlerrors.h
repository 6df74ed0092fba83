/* Message numbers of facility 1 (prefix NL): the library's own errors (NLE_) and the lines it
 * prints from its message file (NLM_). The texts live in the message file nlus.msg; arguments
 * noted here are substituted where the text has %s (%d for a number printed with a format). */
#ifndef KELNL_NLERRORS_H
#define KELNL_NLERRORS_H

enum {
  /* Startup and the error stack */
  NLE_DESCRIPTOR_NO_MEMORY = 1,       /* startup: no memory for the data-representation descriptor */
  NLE_INTERNAL_ERROR = 51,            /* args: error number, facility, then the caller's */
  NLE_FATAL_ERROR = 52,
  NLE_INTERNAL_BAD_KIND = 301,
  NLE_RESIGNAL_EMPTY_STACK = 302,
  NLE_NO_ERROR_STACK = 700,
  NLE_SHOW_NO_LOG = 700,              /* nlershow without a log stream: shares 700 */
  NLE_ERROR_STACK_NO_MEMORY = 701,

  /* Diagnostic streams and formatted files */
  NLE_STREAM_NULL = 200,
  NLE_STREAM_KIND_REFUSED = 201,
  NLE_STREAM_NO_MEMORY = 202,
  NLE_FILE_ACCESS_FAILED = 203,
  NLE_STREAM_KIND_UNSUPPORTED = 204,
  NLE_STREAM_NOT_INITIALISED = 205,
  NLE_STREAM_NOT_OPEN = 206,
  NLE_STREAM_NOT_AT_END = 207,
  NLE_STREAM_NOT_READABLE = 216,
  NLE_FILE_NAME_FAILED = 230,
  NLE_FILE_OPEN_FAILED = 231,
  NLE_FILE_POSITION_FAILED = 232,
  NLE_FILE_CLOSE_FAILED = 233,
  NLE_FILE_FLUSH_FAILED = 234,
  NLE_FILE_WRITE_FAILED = 235,
  NLE_FILE_PRINT_FAILED = 236,
  NLE_FILE_SEEK_FAILED = 238,
  NLE_FILE_READ_FAILED = 239,
  NLE_FILE_SIZE_LIMIT = 240,
  NLE_STDOUT_OPEN_FAILED = 250,
  NLE_STDOUT_CLOSE_FAILED = 251,
  NLE_STDOUT_WRITE_FAILED = 254,
  NLE_STDOUT_PRINT_FAILED = 255,
  NLE_STDOUT_FLUSH_FAILED = 256,
  NLE_STDERR_OPEN_FAILED = 260,
  NLE_STDERR_CLOSE_FAILED = 261,
  NLE_STDERR_WRITE_FAILED = 264,
  NLE_STDERR_PRINT_FAILED = 265,
  NLE_STDERR_FLUSH_FAILED = 266,
  NLE_PAIR_WRITE_FAILED = 274,
  NLE_PAIR_PRINT_FAILED = 275,
  NLE_PAIR_FLUSH_FAILED = 276,
  NLE_PAIR_NO_MEMBERS = 277,

  /* Log file */
  NLE_LOG_OPEN_FAILED = 278,
  NLM_LOG_FILE = 279,                 /* startup report; arg: log file name */
  NLE_LOG_FAILED = 280,               /* arg: log file name */

  /* Parameters */
  NLE_PARAM_REFUSED = 401,
  NLE_PARAM_NO_MEMORY = 402,
  NLE_PARAM_NULL_TABLE = 404,
  NLE_PARAM_FILE_NOT_OPENED = 405,
  NLE_PARAM_INDEX_FAILED = 406,
  NLE_PARAM_NOT_FOUND = 408,
  NLE_PARAM_NOT_BOOLEAN = 409,
  NLE_PARAM_VALUE_TOO_LONG = 410,
  NLE_PARAM_NO_MATCH = 411,
  NLE_PARAM_UNEXPECTED_END = 422,
  NLE_PARAM_INDENTED_LINE = 425,
  NLE_PARAM_BAD_LIST = 427,
  NLE_PARAM_INCLUDE_TOO_DEEP = 430,
  NLE_PARAM_SOURCE_WITHOUT_END = 431, /* a device or pipe gave more than a parameter file holds */
  NLM_SYSTEM_PARAMETER_FILE = 459,    /* startup report; arg: file name */
  NLM_LOCAL_PARAMETER_FILE = 460,     /* startup report; arg: file name */
  NLM_INCLUDED_PARAMETER_FILE = 461,  /* startup report; arg: file name */
  NLE_PARAMETER_FILE_ERROR = 462,     /* arg: file name */

  /* Trace */
  NLE_TRACE_NULL = 500,
  NLE_TRACE_NO_STREAM = 501,
  NLE_TRACE_NO_MEMORY = 502,
  NLE_TRACE_BAD_LEVEL = 503,
  NLE_TRACE_WRITE_FAILED = 506,
  NLE_TRACE_OPEN_FAILED = 508,
  NLM_TRACE_FILE = 509,               /* startup report; arg: trace file name */
  NLE_TRACE_BRIDGE_INACTIVE = 509,    /* returned only, never printed: shares 509 */
  NLM_TRACE_LEVEL = 510,              /* startup report; arg: level, a number (%d) */
  NLE_TRACE_FAILED = 511,             /* arg: trace file name */
  NLE_TRACE_REGISTER_REFUSED = 512,   /* arg: trace file name */
  NLE_TRACE_REGISTER_CONFIG = 513,    /* arg: trace file name */
  NLE_TRACE_REGISTER_RESOURCES = 514,
  NLE_TRACE_REGISTER_FAILED = 515,

  /* Message facility */
  NLE_NULL_CONTEXT = 600,
  NLE_NO_MEMORY = 601,
  NLE_EMFI_REGISTERED = 602,
  NLE_EMFI_NOT_REGISTERED = 603,
  NLE_LANGUAGE_FAILED = 605,
  NLE_MESSAGE_FILE_OPEN_FAILED = 606,
  NLE_EMFI_INVALID = 607,
  NLE_PRODUCT_NAME_SIZE = 608,
  NLE_FACILITY_NAME_SIZE = 609,
  NLE_BAD_BUFFER_ARGUMENTS = 610,
  NLE_MESSAGE_FILE_LOCK_FAILED = 611,

  /* Timers */
  NLE_TIMER_NOT_STARTED = 800,
  NLE_TIMER_NOT_ALLOCATED = 801,
  NLE_STARTUP_DATE_FAILED = 801,      /* startup's result when the date facility fails; not pushed */
  NLE_TIMER_NO_MEMORY = 802,
  NLE_TIMER_THREAD_FAILED = 803,

  /* Dates */
  NLE_DATE_NO_MEMORY = 849,

  /* Command interpreter */
  NLM_CONTROL_WELCOME = 850,          /* arg: program name */
  NLE_CONTROL_END = 851,              /* arg: "control program" */
  NLE_CONTROL_TOO_MANY_WORDS = 852,
  NLE_CONTROL_UNKNOWN_COMMAND = 853,  /* args: path text, word, path text */
  NLM_CONTROL_AMBIGUOUS = 854,        /* arg: the word */
  NLE_CONTROL_SECOND_MODIFIER = 855,
  NLM_CONTROL_MODIFIER_REFUSED = 856,
  NLE_CONTROL_ARGUMENT_RANGE = 857,   /* args: minimum, maximum, command */
  NLE_CONTROL_ARGUMENT_COUNT = 858,   /* args: count, command */
  NLE_CONTROL_NOT_CONFIRMED = 859,
  NLM_CONTROL_HELP_PATH = 860,        /* arg: path text */
  NLM_CONTROL_HELP_LEGEND = 861,
  NLM_CONTROL_CONFIRM = 862,
  NLE_CONTROL_NO_MODIFIER = 864,      /* arg: command */
  NLE_CONTROL_NO_COMMAND_FILE = 865,  /* arg: file name */
  NLM_CONTROL_HELP = 866,

  /* Passwords and parameter file update */
  NLE_PASSWORD_MISSING = 966,
  NLE_PASSWORD_ENCODING_FAILED = 968,
  NLE_UPDATE_NO_MEMORY = 1003
};

#endif
