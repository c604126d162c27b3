// ssrcdll.dll as Corvandale loads it: LoadLibrary from beside the program, the
// nine names by GetProcAddress, and byte for byte the output of the native build
// (the reference recorded in tests/common/ssrc_reference.h).
#include "analyser/engine/win/ssrc_library.h"
#include "conversion_harness.h"
#include "temp_dir.h"
#include "tests/common/ssrc_reference.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string siblingPath(const char* fileName) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.rfind('\\') + 1) + fileName;
}

const corv::SsrcLibrary& library() {
    static const corv::SsrcLibrary loaded = corv::loadSsrcLibrary(siblingPath("ssrcdll.dll"));
    return loaded;
}

TEST(SsrcDll, ALibraryWithoutThemIsRefusedAsAWhole) {
    const corv::SsrcLibrary other = corv::loadSsrcLibrary("kernel32.dll");
    EXPECT_FALSE(other.loaded);
    EXPECT_EQ(other.missing.rfind("_UpsampleInit, _UpsampleProcess", 0), 0u);
    EXPECT_EQ(other.api.ditherProcess, nullptr);
    EXPECT_FALSE(corv::loadSsrcLibrary(siblingPath("no such library.dll")).loaded);
}

TEST(SsrcDll, LoadsWithAllNineEntryPointsAndGivesTheBytesOfTheNativeBuild) {
    ASSERT_TRUE(library().loaded) << "missing: " << library().missing;
    EXPECT_EQ(ssrc_reference::mismatch(library().api), "")
        << "see tests/common/ssrc_reference.h; the native SsrcSharedLibrary test tells whether "
           "the DLL or the reference differs";
}

// The engine calls the library only through its table: a conversion through
// the DLL writes the same bytes as one through the linked library.
TEST(SsrcDll, TheEngineThroughTheDllWritesWhatTheLinkedLibraryWrites) {
    ASSERT_TRUE(library().loaded);
    corv::test::TempDir temp;
    std::vector<int16_t> tone(2 * 30000);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(12000 * std::sin(i * 0.013));
    const std::string source = corv::test::writeWave16(temp.file("tone.wav"), 2, 44100, tone);
    std::vector<corv::test::Bytes> written;
    for (const SsrcEntryPoints* table :
         {&library().api, static_cast<const SsrcEntryPoints*>(nullptr)}) {
        corv::test::Conversion c;
        auto& s = c.settings.conversion;
        s.convertSampleRate = 1;
        s.targetSampleRate = 48000;
        s.dither = 1;
        s.noiseShaping = 3;
        c.ssrc = table;
        ASSERT_TRUE(c.run({source}));
        ASSERT_EQ(c.record(0).result, corv::ConversionResult::Processed);
        written.push_back(corv::test::readFile(c.outputs(0).at(0)));
    }
    EXPECT_GT(written[0].size(), 2u * 2 * 32000);
    EXPECT_TRUE(written[0] == written[1]);
}

} // namespace
