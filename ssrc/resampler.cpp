// The six resampler entry points of ssrcdll. The caller's state memory holds
// a validity word and a pointer to the engine; anything else (never
// initialised, bad arguments, out of memory, already released) is an inert
// state whose process calls return an empty buffer.
#include <cstdint>

#include "ssrc/resampler_engine.h"
#include "ssrc/ssrcdll.h"

namespace {

constexpr uint64_t liveMagic = 0x5352435245534d31ull;  // "SRCRESM1"
constexpr uint64_t inertMagic = 0x53524352494e4552ull; // "SRCRINER"

struct StateBlock {
    uint64_t magic;
    ssrc::ResamplerEngine* engine;
    double empty; // what an inert state returns: a valid buffer of 0 frames
};
static_assert(sizeof(StateBlock) <= SSRC_RESAMPLER_STATE_BYTES, "resampler state does not fit");

StateBlock* block(void* state) {
    return static_cast<StateBlock*>(state);
}

void initialise(int channels, int inputRate, int outputRate, void* state, int* blockSize) {
    if (state == nullptr) return;
    StateBlock* s = block(state);
    s->magic = inertMagic;
    s->engine = nullptr;
    s->empty = 0.0;
    if (!ssrc::ResamplerEngine::validArguments(channels, inputRate, outputRate)) return;
    try {
        s->engine = new ssrc::ResamplerEngine(channels, inputRate, outputRate);
    } catch (...) {
        return; // out of memory: inert
    }
    s->magic = liveMagic;
    if (blockSize != nullptr) {
        const int requested = *blockSize > 0 ? *blockSize : 8192;
        const int needed = s->engine->maxOutputFrames(requested);
        if (needed > *blockSize) *blockSize = needed;
    }
}

double* process(int last, void* state, int frames, const double* input, int* outputFrames) {
    static double noState = 0.0; // only for a null state pointer
    int produced = 0;
    double* result = &noState;
    if (state != nullptr) {
        StateBlock* s = block(state);
        result = &s->empty;
        if (s->magic == liveMagic && s->engine != nullptr) {
            if (input == nullptr || frames < 0) frames = 0;
            try {
                result =
                    const_cast<double*>(s->engine->process(input, frames, last != 0, produced));
            } catch (...) {
                // Out of memory mid-pass: the state turns inert rather than crash the caller.
                delete s->engine;
                s->engine = nullptr;
                s->magic = inertMagic;
                result = &s->empty;
                produced = 0;
            }
        }
    }
    if (outputFrames != nullptr) *outputFrames = produced;
    return result;
}

void release(void* state) {
    if (state == nullptr) return;
    StateBlock* s = block(state);
    if (s->magic == liveMagic) delete s->engine;
    s->magic = inertMagic;
    s->engine = nullptr;
    s->empty = 0.0;
}

} // namespace

extern "C" {

SSRC_API void SSRC_CALL _UpsampleInit(int channels, int inputRate, int outputRate, void* state,
                                      int* blockSize) {
    initialise(channels, inputRate, outputRate, state, blockSize);
}

SSRC_API double* SSRC_CALL _UpsampleProcess(int last, void* state, int frames, const double* input,
                                            int* outputFrames) {
    return process(last, state, frames, input, outputFrames);
}

SSRC_API void SSRC_CALL _UpsampleExit(void* state) {
    release(state);
}

SSRC_API void SSRC_CALL _DownsampleInit(int channels, int inputRate, int outputRate, void* state,
                                        int* blockSize) {
    initialise(channels, inputRate, outputRate, state, blockSize);
}

SSRC_API double* SSRC_CALL _DownsampleProcess(int last, void* state, int frames,
                                              const double* input, int* outputFrames) {
    return process(last, state, frames, input, outputFrames);
}

SSRC_API void SSRC_CALL _DownsampleExit(void* state) {
    release(state);
}

} // extern "C"
