// The library's exports besides the C interface. The Python module links
// the shared library instead of carrying its own copy of it, so that a
// process holds one record per thread whether it draws from Python, from C
// or both; what the module calls is marked KALVOR_INTERNAL (the framed
// entries of api/entries.h are exported as a whole). None of it is part of
// the public header.
#pragma once

#if defined(__GNUC__)
#define KALVOR_INTERNAL __attribute__((visibility("default")))
#else
#define KALVOR_INTERNAL
#endif

#ifdef __cplusplus
extern "C" {
#endif
// The digest of the routine table and of the exports in the library's build
// (tools/abi_digest.py): the module refuses a library of another build.
KALVOR_INTERNAL const char* kalvor_abi_digest(void);
#ifdef __cplusplus
}
#endif
