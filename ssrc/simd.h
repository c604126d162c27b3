// SSE2 where the target has it (the x86-64 baseline, and the 32-bit build
// compiled with -msse2). Every SIMD path performs the same IEEE operations in
// the same order as its portable twin, so both give the same bits; defining
// SSRC_NO_SIMD builds the portable paths to check that, SSRC_NO_AVX the SSE2
// ones without the AVX versions.
#ifndef SSRC_SIMD_H
#define SSRC_SIMD_H

#if !defined(SSRC_NO_SIMD) &&                                                                      \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#define SSRC_HAVE_SSE2 1
#include <emmintrin.h>
#endif

// 256-bit AVX versions of some SSE2 loops, chosen at run time where the CPU
// has AVX. Same IEEE operations per element (AVX only, never FMA), so the
// same bits. Windows builds too: GCC there cannot align the stack for spilled
// 256-bit registers, so they are assembled with unaligned moves only (see
// CMakeLists.txt).
#if defined(SSRC_HAVE_SSE2) && !defined(SSRC_NO_AVX) &&                                            \
    (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define SSRC_HAVE_AVX_DISPATCH 1
#include <immintrin.h>
#define SSRC_TARGET_AVX __attribute__((target("avx")))
namespace ssrc {
inline bool cpuHasAvx() {
    static const bool has = __builtin_cpu_supports("avx");
    return has;
}
} // namespace ssrc
#endif

#endif
