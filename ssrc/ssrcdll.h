/* Sample-rate converter and dither: the nine C entry points of ssrcdll.
 *
 * Samples are doubles, full scale +-1.0, interleaved by frame.
 * Every state is memory the caller owns and provides, uninitialised, with at
 * least the number of bytes named below, aligned at least as for a double.
 * Separate states are fully independent; the library keeps no global state.
 *
 * Resampler (up and down alike):
 *   Init(channels, inputRate, outputRate, state, &blockSize)
 *     channels 1..1000, rates 1000..768000 Hz. *blockSize is the caller's
 *     block size in frames (8192 by custom); the library may raise it so it
 *     covers the largest output of one process call for an input block of the
 *     size the caller passed in.
 *   Process(last, state, frames, input, &outputFrames)
 *     Consumes `frames` input frames, returns a pointer to the output samples
 *     (outputFrames frames, possibly 0), valid until the next call on that
 *     state. The call with last = 1 (usually with 0 frames) drains the tail;
 *     over a whole pass the output has round(inputFrames * out / in) frames,
 *     with no delay: input frame k lands at k * out / in.
 *   Exit(state)
 *     Releases what Init allocated. A state is initialised again for the next
 *     pass.
 *   Invalid arguments leave an inert state: its process calls return a valid
 *   buffer with 0 frames, and Exit is harmless.
 *   The output does not depend on how the input is cut into blocks, and is the
 *   same bytes on every platform. Linear phase, flat within 0.01 dB up to
 *   0.93 of the lower Nyquist frequency, at least 175 dB of stop-band
 *   rejection from the lower Nyquist frequency on.
 *
 * Dither:
 *   DitherInit(channels, outputRate, noiseShaping, pdfType, amplitude, state)
 *     channels 1..1000, outputRate 1000..768000 Hz.
 *     amplitude a: the dither's size in working units; the engine passes
 *     pdfAmplitude / q, so a is one LSB of the output type at the default
 *     1.0 (1/32767 for 16-bit). What a means per pdfType:
 *       0 rectangular  uniform on [-a/2, a/2), variance a^2/12;
 *       1 triangular   the difference of two such, spanning (-a, a), variance
 *                      a^2/6: at a = 1 LSB the standard TPDF;
 *       2 gaussian     standard deviation a/2 (variance a^2/4), enough to
 *                      make the noise power independent of the signal;
 *       other codes act as 1.
 *     Quantiser: nothing else names the output type, so its grid 1/q is
 *     inferred from a: q is whichever of 127, 32767, 8388607 and 2147483647
 *     puts a * q nearest 1 on a log scale (any a from 1/16 to 16 LSB gives
 *     the right q).
 *     noiseShaping (error feedback around that quantiser; the error, dither
 *     included, reaches the output filtered by a monic minimum-phase H):
 *       1 none: the dither is only added; the engine's conversion rounds;
 *       2 "Triangular": H(z) = 1 - z^-1, a first-order high-pass (+3 dB of
 *         total noise);
 *       3 "ATH based": H fitted at init to the absolute threshold of hearing
 *         (Terhardt) up to half of outputRate, so it suits any rate: at 44.1
 *         and 48 kHz about 20 dB less noise weighted by the threshold than
 *         flat dither, for about 18 dB more total noise;
 *       4 "ATH lower amp": the same fit weighing total noise more: at 44.1
 *         and 48 kHz 10 to 11 dB less total noise than 3, keeping 12 to 13
 *         dB of reduction;
 *       other codes act as 1.
 *     With shaping (2..4) the library rounds each sample to k/q itself, k an
 *     integer from -(q + 1) to q (the range of the output), so the engine's
 *     later rounding of value * q half away from zero gives k exactly. The
 *     error fed back is bounded, so full-scale and clipping input cannot make
 *     the filter run away; non-finite samples pass unchanged. That grid holds
 *     only while nothing changes the level between dither and output.
 *     Invalid channels or rate, and an amplitude that is 0, negative, above
 *     1.0 or not finite leave a state that passes samples unchanged (no
 *     dither, no shaping).
 *     The same arguments always give the same output, on every platform: a
 *     fixed seed per init and exactly rounded arithmetic only (+ - * /, sqrt,
 *     truncation). How the frames are split over process calls does not
 *     change the output.
 *   DitherProcess(frames, state, samples)  dithers in place.
 *   DitherExit(state)  holds nothing to release; DitherInit may be called on
 *     the same memory any number of times without Exit, and nothing leaks:
 *     the state lives entirely in the caller's memory.
 */
#ifndef SSRCDLL_H
#define SSRCDLL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes the caller provides for each state. */
#define SSRC_RESAMPLER_STATE_BYTES 64
#define SSRC_DITHER_STATE_BYTES 262144

#if defined(_WIN32) && defined(SSRC_BUILDING_DLL)
#define SSRC_API __declspec(dllexport)
#elif !defined(_WIN32) && defined(SSRC_BUILDING_SHARED)
#define SSRC_API __attribute__((visibility("default")))
#else
#define SSRC_API
#endif
#define SSRC_CALL __cdecl
#if !defined(_WIN32)
#undef SSRC_CALL
#define SSRC_CALL
#endif

SSRC_API void SSRC_CALL _UpsampleInit(int channels, int inputRate, int outputRate, void* state,
                                      int* blockSize);
SSRC_API double* SSRC_CALL _UpsampleProcess(int last, void* state, int frames, const double* input,
                                            int* outputFrames);
SSRC_API void SSRC_CALL _UpsampleExit(void* state);

SSRC_API void SSRC_CALL _DownsampleInit(int channels, int inputRate, int outputRate, void* state,
                                        int* blockSize);
SSRC_API double* SSRC_CALL _DownsampleProcess(int last, void* state, int frames,
                                              const double* input, int* outputFrames);
SSRC_API void SSRC_CALL _DownsampleExit(void* state);

SSRC_API void SSRC_CALL _DitherInit(int channels, int outputRate, int noiseShaping, int pdfType,
                                    double amplitude, void* state);
SSRC_API void SSRC_CALL _DitherProcess(int frames, void* state, double* samples);
SSRC_API void SSRC_CALL _DitherExit(void* state);

/* The nine entry points as one table: the converter fills it from the DLL on
 * Windows and from the linked library natively. */
typedef struct SsrcEntryPoints {
    void(SSRC_CALL* upsampleInit)(int, int, int, void*, int*);
    double*(SSRC_CALL* upsampleProcess)(int, void*, int, const double*, int*);
    void(SSRC_CALL* upsampleExit)(void*);
    void(SSRC_CALL* downsampleInit)(int, int, int, void*, int*);
    double*(SSRC_CALL* downsampleProcess)(int, void*, int, const double*, int*);
    void(SSRC_CALL* downsampleExit)(void*);
    void(SSRC_CALL* ditherInit)(int, int, int, int, double, void*);
    void(SSRC_CALL* ditherProcess)(int, void*, double*);
    void(SSRC_CALL* ditherExit)(void*);
} SsrcEntryPoints;

#ifdef __cplusplus
}
#endif

#endif
