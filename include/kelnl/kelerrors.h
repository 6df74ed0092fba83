/* Errors of facility 22 (prefix KEL): what the date functions of the core services report
 * through their error callback. The texts live in the message file kelus.msg. */
#ifndef KELNL_KELERRORS_H
#define KELNL_KELERRORS_H

enum {
  KELE_DATE_PICTURE_EMPTY = 101,
  KELE_DATE_PICTURE_TOO_LONG = 102,
  KELE_DATE_PICTURE_UNKNOWN = 103,
  KELE_DATE_BUFFER_TOO_SMALL = 104,
  KELE_DATE_OUT_OF_RANGE = 105,
  KELE_DATE_CLOCK_UNAVAILABLE = 106,
  KELE_DATE_NOT_STARTED = 107
};

#endif
