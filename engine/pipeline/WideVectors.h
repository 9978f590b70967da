#pragma once
// A few hot loops (the air properties of every record, the corrections'
// sums and dot products over a half hour) get versions for AVX-512 and AVX2
// where GCC can make them, picked when the program starts by what the
// processor can do. Every version does the same operations in the same
// order on each value (the running sums are spelled out, and no multiply and
// add are ever fused), so they give the same bits.

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define KELVARA_WIDE_VECTORS __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define KELVARA_WIDE_VECTORS
#endif

// A helper of such a loop, inlined into each version so that it is compiled
// for that processor too.
#if defined(__GNUC__)
#define KELVARA_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define KELVARA_ALWAYS_INLINE inline
#endif
