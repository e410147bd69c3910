/* The conversion library libvarnex.so: four exported functions with C linkage. Texts are
 * zero-terminated UTF-8. A host loads the library, registers its progress callback, calls DoIt
 * once and reads the error text before it unloads the library again. */
#ifndef VARNEX_VARNEX_H
#define VARNEX_VARNEX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Receives each progress value (0.0 to 100.0) on the thread that called DoIt, from inside it. */
typedef void (*TPercentCallback)(double percent);

/* Converts the lookup forms of the database that the connection string names. databaseType is
 * "FIREBIRD" or "INTRBASE", "MSSQL", or anything else for Oracle. Returns 0 on success, 1 when
 * the conversion failed (GetErrorStr gives the reasons) and -1 when the connection could not be
 * opened (GetErrorStr gives the database's message). Both texts are only read during the call. */
int32_t DoIt(const char* connectionString, const char* databaseType);

/* Stores the error text of the last DoIt in *text, or a null pointer when there is none. The
 * text belongs to the library and stays valid until the next DoIt or unloading. */
void GetErrorStr(char** text);

/* The last progress value: 0.0 before the first DoIt, 100.0 after a DoIt that returned 0 or 1. */
double GetProcPercent(void);

/* Registers the progress callback; a null pointer switches it off. */
void SetCallBackPercent(TPercentCallback callback);

#ifdef __cplusplus
}
#endif

#endif
