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
 *
 * Dither:
 *   DitherInit(channels, outputRate, noiseShaping, pdfType, amplitude, state)
 *     noiseShaping: 1 none, 2 fixed high-pass ("Triangular"), 3 shaped to the
 *     threshold of hearing at outputRate, 4 the same with less total noise;
 *     other codes act as 1.
 *     pdfType: 0 rectangular, 1 triangular, 2 gaussian.
 *     amplitude: one least significant bit of the output type in working
 *     units (1/32767 for 16-bit with the default 1.0 LSB); see SSRC_DITHER_*
 *     below for what it means per shape.
 *   DitherProcess(frames, state, samples)  adds the dither in place.
 *   DitherExit(state)  holds nothing to release; DitherInit may be called on
 *     the same memory any number of times without Exit, and nothing leaks.
 */
#ifndef SSRCDLL_H
#define SSRCDLL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bytes the caller provides for each state. */
#define SSRC_RESAMPLER_STATE_BYTES 64
#define SSRC_DITHER_STATE_BYTES 393216

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

SSRC_API void SSRC_CALL _UpsampleInit(int channels, int inputRate, int outputRate, void* state, int* blockSize);
SSRC_API double* SSRC_CALL _UpsampleProcess(int last, void* state, int frames, const double* input,
                                            int* outputFrames);
SSRC_API void SSRC_CALL _UpsampleExit(void* state);

SSRC_API void SSRC_CALL _DownsampleInit(int channels, int inputRate, int outputRate, void* state, int* blockSize);
SSRC_API double* SSRC_CALL _DownsampleProcess(int last, void* state, int frames, const double* input,
                                              int* outputFrames);
SSRC_API void SSRC_CALL _DownsampleExit(void* state);

SSRC_API void SSRC_CALL _DitherInit(int channels, int outputRate, int noiseShaping, int pdfType, double amplitude,
                                    void* state);
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
