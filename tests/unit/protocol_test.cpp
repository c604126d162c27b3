// Job types and the Sonic Foundry channel rule, as both programs read them.
#include "protocol/job_record.h"
#include "protocol/job_types.h"

#include <gtest/gtest.h>

namespace corv {
namespace {

TEST(JobTypes, NamesFollowTheOutputTypeListAndTheBatcherList) {
    ASSERT_TRUE(jobTypeInfo(1006));
    EXPECT_EQ(jobTypeInfo(1006)->outputTypeName, "Nero Fends (AAC)");
    EXPECT_EQ(jobTypeInfo(1006)->programName, "Nero Fends");
    EXPECT_EQ(jobTypeInfo(1010)->programName, "Sonic Soft Encode");
    EXPECT_EQ(jobTypeInfo(1011)->outputTypeName, "Ac3 encoder dll");
    EXPECT_EQ(jobTypeInfo(1000)->settingsBytesUsed, sizeof(SurcodeSettings));
    EXPECT_EQ(jobTypeInfo(1010)->settingsBytesUsed, sizeof(SonicFoundrySettings));
    EXPECT_EQ(jobTypeInfo(1008)->settingsBytesUsed, sizeof(LameSettings));
    EXPECT_FALSE(jobTypeInfo(999));
    EXPECT_FALSE(jobTypeInfo(1012));
    for (int32_t type = kFirstJobType; type <= kLastJobType; ++type)
        EXPECT_EQ(static_cast<int32_t>(jobTypeInfo(type)->type), type);
}

TEST(JobRecordLayout, SonicChannelFilesFollowCodingModeAndLfe) {
    const uint32_t expected[] = {4, 3, 7, 19, 23, 51, 55}; // C; L R; L C R; ...
    for (int mode = 1; mode <= 7; ++mode) {
        EXPECT_EQ(sonicChannelMask(mode, false), expected[mode - 1]) << mode;
        EXPECT_EQ(sonicChannelMask(mode, true), expected[mode - 1] | 8u) << mode;
    }
    EXPECT_EQ(sonicChannelMask(0, false), 0u);
    EXPECT_EQ(sonicChannelMask(8, false), 0u);
    EXPECT_EQ(sonicChannelMask(-1, true), 8u);
}

TEST(JobRecordLayout, SettingsAreaSitsBehindTheHeaderFields) {
    JobRecord job{};
    job.settings.sonicFoundry.timeStamp = 1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&job);
    EXPECT_EQ(bytes[1600 + 3167], 1);
    job.settings.surcode.attenuateRear = 1;
    EXPECT_EQ(bytes[1600 + 3128], 1);
}

} // namespace
} // namespace corv
