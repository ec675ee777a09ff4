#pragma once
// The x86 vector intrinsics, for the scans' AVX-512 and AVX2 paths. Include it only in
// the .cpp files of those scans: it switches off one warning for the rest of the file.

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// GCC 12 takes the vectors its own AVX-512 intrinsics leave unset on purpose
// (_mm512_undefined_epi32) for uninitialised variables once they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
