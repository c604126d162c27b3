// The native shared library as other tools load it (dlopen), giving the
// recorded reference output that ssrcdll.dll must give too under Wine
// (tests/win/ssrc_dll_test.cpp). The build checks its exports.
#ifndef _WIN32

#include "tests/common/ssrc_reference.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

namespace {

TEST(SsrcSharedLibrary, GivesTheRecordedReferenceOutput) {
    void* handle = dlopen(SSRC_SHARED_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    SsrcEntryPoints api{};
    ASSERT_EQ(corv::findEntryPoints(api, [&](const char* name) { return dlsym(handle, name); }),
              "");
    const ssrc_reference::Run resampled = ssrc_reference::resample(api);
    const ssrc_reference::Run dithered = ssrc_reference::dither(api);
    EXPECT_EQ(resampled.frames, ssrc_reference::kOutputFrames);
    if (resampled.hash != ssrc_reference::kResampleHash ||
        dithered.hash != ssrc_reference::kDitherHash) {
        std::printf("ssrc output differs from the recorded reference. If the resampler or the "
                    "dither was changed\non purpose, record the new values in "
                    "tests/common/ssrc_reference.h:\n"
                    "constexpr std::uint64_t kResampleHash = 0x%016" PRIx64 "ull;\n"
                    "constexpr std::uint64_t kDitherHash = 0x%016" PRIx64 "ull;\n"
                    "then run this test and the Wine test SsrcDll.* (win64 preset) again.\n",
                    resampled.hash, dithered.hash);
    }
    EXPECT_EQ(resampled.hash, ssrc_reference::kResampleHash);
    EXPECT_EQ(dithered.hash, ssrc_reference::kDitherHash);
    EXPECT_EQ(dlclose(handle), 0);
}

} // namespace

#endif
