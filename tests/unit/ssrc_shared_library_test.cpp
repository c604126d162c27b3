// The native shared library as other tools use it: loaded with dlopen, the nine
// names found, and its output the recorded reference that the Windows DLL must
// give too. (On Windows the DLL is checked by tests/win/ssrc_dll_test.cpp.)
#ifndef _WIN32

#include "tests/common/ssrc_reference.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

namespace {

class SsrcSharedLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        handle_ = dlopen(SSRC_SHARED_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_ != nullptr) {
            EXPECT_EQ(dlclose(handle_), 0);
        }
    }

    bool findAll(SsrcEntryPoints& api) {
        const std::string missing =
            corv::findEntryPoints(api, [this](const char* name) { return dlsym(handle_, name); });
        EXPECT_EQ(missing, "") << "not exported";
        return missing.empty();
    }

    void* handle_ = nullptr;
};

TEST_F(SsrcSharedLibrary, ExportsTheNineEntryPoints) {
    SsrcEntryPoints api{};
    EXPECT_TRUE(findAll(api));
}

TEST_F(SsrcSharedLibrary, GivesTheRecordedReferenceOutput) {
    SsrcEntryPoints api{};
    ASSERT_TRUE(findAll(api));
    const ssrc_reference::Run resampled = ssrc_reference::resample(api);
    const ssrc_reference::Run dithered = ssrc_reference::dither(api);
    EXPECT_EQ(resampled.frames, ssrc_reference::kOutputFrames);

    if (resampled.hash != ssrc_reference::kResampleHash ||
        dithered.hash != ssrc_reference::kDitherHash) {
        std::printf("ssrc output differs from the recorded reference. If the resampler or the "
                    "dither was changed\n"
                    "on purpose, record the new values in tests/common/ssrc_reference.h:\n"
                    "constexpr std::uint64_t kResampleHash = 0x%016" PRIx64 "ull;\n"
                    "constexpr std::uint64_t kDitherHash = 0x%016" PRIx64 "ull;\n"
                    "then run this test and the Wine test SsrcDll.* (win64 preset) again.\n",
                    resampled.hash, dithered.hash);
    }
    EXPECT_EQ(resampled.hash, ssrc_reference::kResampleHash)
        << "resampled output changed (see above)";
    EXPECT_EQ(dithered.hash, ssrc_reference::kDitherHash) << "dithered output changed (see above)";
}

} // namespace

#endif
