// ssrcdll.dll as Corvandale loads it: LoadLibrary from beside the program, the
// nine names by GetProcAddress, and byte for byte the output of the native build
// (the reference recorded in tests/common/ssrc_reference.h).
#include "tests/common/ssrc_reference.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <string>

namespace {

std::string siblingPath(const char* fileName) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.rfind('\\') + 1) + fileName;
}

class SsrcDll : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA(siblingPath("ssrcdll.dll").c_str());
        ASSERT_NE(module_, nullptr) << "LoadLibrary failed, error " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) {
            EXPECT_TRUE(FreeLibrary(module_));
        }
    }

    bool findAll(SsrcEntryPoints& api) {
        const std::string missing = ssrc_reference::findEntryPoints(api, [this](const char* name) {
            // Through void(*)() because the compiler lets any function pointer pass there.
            return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
        });
        EXPECT_EQ(missing, "") << "not exported";
        return missing.empty();
    }

    HMODULE module_ = nullptr;
};

TEST_F(SsrcDll, ExportsTheNineEntryPoints) {
    SsrcEntryPoints api{};
    EXPECT_TRUE(findAll(api));
}

TEST_F(SsrcDll, GivesTheBytesOfTheNativeBuild) {
    SsrcEntryPoints api{};
    ASSERT_TRUE(findAll(api));
    const ssrc_reference::Run resampled = ssrc_reference::resample(api);
    const ssrc_reference::Run dithered = ssrc_reference::dither(api);
    EXPECT_EQ(resampled.frames, ssrc_reference::kOutputFrames);
    if (resampled.hash != ssrc_reference::kResampleHash || dithered.hash != ssrc_reference::kDitherHash) {
        std::printf("ssrcdll.dll gives resample 0x%016" PRIx64 ", dither 0x%016" PRIx64 ".\n"
                    "When the native unit test SsrcSharedLibrary.* passes, the DLL computes differently from the\n"
                    "native build (compiler flags, maths library); when it fails too, record its values first.\n",
                    resampled.hash, dithered.hash);
    }
    EXPECT_EQ(resampled.hash, ssrc_reference::kResampleHash);
    EXPECT_EQ(dithered.hash, ssrc_reference::kDitherHash);
}

}  // namespace
