/* Message numbers of the trace message file (facility 37, prefix NLT, nltus.msg). A trace record
 * names a component message (the name shown in front of the line) and a text message. A text
 * with arguments is written only when the caller's check format has the same conversions in the
 * same order; the conversions are noted here. */
#ifndef KELNL_NLTRMSG_H
#define KELNL_NLTRMSG_H

enum {
  /* Components */
  NLTR_COMPONENT_TRACE_CALL = 1002,       /* also the component of the allocation-failure record */
  NLTR_COMPONENT_STARTUP = 1100,
  NLTR_COMPONENT_TRACE_OPEN = 1101,
  NLTR_COMPONENT_LOG_OPEN = 1102,
  NLTR_COMPONENT_PROTOCOL_LOAD = 1103,
  NLTR_COMPONENT_ADDRESS_INIT = 1104,
  NLTR_COMPONENT_ADDRESS_GET = 1105,
  NLTR_COMPONENT_ADDRESS_END = 1106,
  NLTR_COMPONENT_MULTI_ADDRESS_INIT = 1107,
  NLTR_COMPONENT_MULTI_ADDRESS_GET = 1108,
  NLTR_COMPONENT_MULTI_ADDRESS_END = 1109,
  NLTR_COMPONENT_PROCESS_ADDRESS = 1110,
  NLTR_COMPONENT_SPAWN = 1111,
  NLTR_COMPONENT_SERVICE_START = 1112,
  NLTR_COMPONENT_CHECKPOINT_DUMP = 1113,
  NLTR_COMPONENT_CHECKPOINT_LOAD = 1114,
  NLTR_COMPONENT_DIRECTORY_OBJECTS = 1115,
  NLTR_COMPONENT_DIRECTORY_LISTENER = 1116,
  NLTR_COMPONENT_DIRECTORY_PROFILE = 1117,
  NLTR_COMPONENT_DIRECTORY_MANAGER = 1118,
  NLTR_COMPONENT_DIRECTORY_SERVICE = 1119,
  NLTR_COMPONENT_SHORT_ID = 1120,

  /* Texts used by several operations */
  NLTR_NO_RECORD_MEMORY = 1003,
  NLTR_ENTRY = 1010,
  NLTR_EXIT = 1011,
  NLTR_EXIT_RESULT = 1012,                /* %d: the result */
  NLTR_ERROR_TEXT = 1013,                 /* %s: the error text */
  NLTR_DESCRIPTOR_REFUSED = 1014,
  NLTR_CHECKPOINT_FILE = 1015,            /* %s: file name */
  NLTR_SERVICE_NAME = 1016,               /* %s: service name */
  NLTR_PROTOCOL_FILE_READ = 1017,         /* %s: file name */
  NLTR_PROTOCOL_FILE_NOT_READ = 1018,     /* %s: file name */
  NLTR_ADDRESS_FIELD = 1025,              /* %s%s: process address keyword, value */
  NLTR_SPAWN_PROGRAM = 1026,              /* %s: the program started */

  /* Trace opening */
  NLTR_TRACE_STARTED = 18300,
  NLTR_TRACE_FILE = 18301,                /* %s: display name of the stream */
  NLTR_TRACE_LEVEL = 18302,               /* %d: level */
  NLTR_TRACE_CONFIGURED = 18303,

  /* Parameter sources */
  NLTR_SOURCES_START = 18304,
  NLTR_SOURCE_NOT_READ = 18305,
  NLTR_SOURCE_NAME = 18306,               /* %s%s: source name, file name */
  NLTR_SOURCE_READ = 18307,
  NLTR_SOURCE_READ_WITH_ERRORS = 18308,
  NLTR_PARAMETERS_START = 18309,
  NLTR_PARAMETER = 18310,                 /* %s%s: name, value */
  NLTR_SOURCES_DONE = 18311,
  NLTR_TABLE_NOT_INSTALLED = 18312,
  NLTR_PREVIOUS_TABLE_KEPT = 18313,
  NLTR_TABLE_INSTALLED = 18314,
  NLTR_SOURCES_HAD_ERRORS = 18315,
  NLTR_TABLE_INSTALLED_CLEAN = 18316,
  NLTR_PARAMETERS_END = 18317,
  NLTR_SOURCE_ERRORS = 18318,             /* %s: error text */
  NLTR_SOURCE_DONE = 18328,
  NLTR_STARTUP_ERROR = 18329,             /* %s: error text */

  /* Log opening */
  NLTR_LOG_START = 18319,
  NLTR_LOG_OFF_CLOSED = 18320,
  NLTR_LOG_OFF = 18321,
  NLTR_LOG_NO_STREAM = 18322,
  NLTR_LOG_SAME_FILE = 18323,             /* %s: file name */
  NLTR_LOG_NEW_FILE = 18324,              /* %s: file name */
  NLTR_LOG_TEST_OPEN = 18325,
  NLTR_LOG_TEST_OPEN_OK = 18326,
  NLTR_LOG_DONE = 18327,
  NLTR_LOG_TEST_OPEN_FAILED_KEPT = 18330,
  NLTR_LOG_TEST_OPEN_FAILED = 18331,
  NLTR_LOG_ERROR = 18332,                 /* %s: error text */
  NLTR_LOG_NO_TEST_OPEN = 18333,
  NLTR_LOG_REPLACED = 18334
};

#endif
