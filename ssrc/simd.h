// SSE2 where the target has it (the x86-64 baseline, and the 32-bit build
// compiled with -msse2). Every SIMD path performs the same IEEE operations in
// the same order as its portable twin, so both give the same bits; defining
// SSRC_NO_SIMD builds the portable paths to check that.
#ifndef SSRC_SIMD_H
#define SSRC_SIMD_H

#if !defined(SSRC_NO_SIMD) && (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#define SSRC_HAVE_SSE2 1
#include <emmintrin.h>
#endif

#endif
