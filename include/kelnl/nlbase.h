/* Common definitions shared by every kelnl public header. */
#ifndef KELNL_NLBASE_H
#define KELNL_NLBASE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define KELNL_EXTERN_C_BEGIN extern "C" {
#define KELNL_EXTERN_C_END }
#else
#define KELNL_EXTERN_C_BEGIN
#define KELNL_EXTERN_C_END
#endif

/* Exported data must be imported explicitly on Windows when the DLL is used. */
#if defined(_WIN32) && !defined(KELNL_BUILDING) && !defined(KELNL_STATIC)
#define KELNL_DATA extern __declspec(dllimport)
#else
#define KELNL_DATA extern
#endif

#endif
