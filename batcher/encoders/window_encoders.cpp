#include "batcher/encoders/window_encoders.h"

#include "batcher/encoders/text_format.h"
#include "platform/file_stream.h"
#include "platform/text_number.h"
#include "protocol/job_types.h"

namespace corv {
namespace {

struct SlotValue {
    const char* name;
    const char* logFormat;
};
// In slot order L, R, C, LFE, LS, RS.
constexpr SlotValue kSlotValues[kChannelSlots] = {
    {"WAVEFILE1", "\tWAVEFILE1(L):   \"%s\" \r\n"}, {"WAVEFILE2", "\tWAVEFILE2(R):   \"%s\" \r\n"},
    {"WAVEFILE5", "\tWAVEFILE5(C):   \"%s\" \r\n"}, {"WAVEFILE6", "\tWAVEFILE6(LFE): \"%s\" \r\n"},
    {"WAVEFILE3", "\tWAVEFILE3(LS):  \"%s\" \r\n"}, {"WAVEFILE4", "\tWAVEFILE4(RS):  \"%s\" \r\n"},
};

RegistryValue number(const char* name, uint32_t value) {
    RegistryValue v;
    v.name = name;
    v.isNumber = true;
    v.number = value;
    return v;
}

uint32_t bitrateIndex(int32_t dataRate) {
    return dataRate == 1536 ? 1 : dataRate == 768 ? 2 : 0;
}

int64_t partAt(std::string_view text, size_t at) {
    return at < text.size() ? leadingInteger(text.substr(at), 1000000) : 0;
}

} // namespace

SurcodeOutput surcodeOutputOf(int32_t jobType) {
    if (jobType == static_cast<int32_t>(JobType::SurcodeDvd))
        return {"Software\\Minnetonka Audio Software\\Surcode DTS\\OPTIONS", ".dts"};
    return {"Software\\Minnetonka Audio Software\\Surcode CD Pro DTS\\OPTIONS", "(dtswav).wav"};
}

std::vector<RegistryValue> surcodeRegistryValues(const JobRecord& job, const std::string& output) {
    std::vector<RegistryValue> values;
    values.push_back({"WAVEFILE7", false, output, 0,
                      formatText("\tOutput file:    \"%s\" \r\n", output.c_str())});
    const SurcodeSettings& s = job.settings.surcode;
    for (int slot = 0; slot < kChannelSlots; ++slot) {
        std::string file(fieldText(s.channelFiles[slot]));
        if (file.empty() || !canOpenForReading(file)) continue;
        values.push_back({kSlotValues[slot].name, false, file, 0,
                          formatText(kSlotValues[slot].logFormat, file.c_str())});
    }
    if (job.jobType == static_cast<int32_t>(JobType::SurcodeDvd)) {
        values.push_back(number("SAMPLING RATE", job.sampleRate == 44100 ? 1 : 0));
        values.push_back(number("SURROUND DOWNMIX", s.attenuateRear ? 1 : 0));
        values.push_back(number("DTS BITRATE INDEX", bitrateIndex(s.dataRate)));
    }
    return values;
}

bool isTimeDisplay(std::string_view text) {
    return text.size() == 11 && text[2] == ':' && text[5] == ':' && text[8] == '.';
}

int64_t elapsedMilliseconds(std::string_view text) {
    return partAt(text, 0) * 3600000 + partAt(text, 3) * 60000 + partAt(text, 6) * 1000 +
           partAt(text, 9) * 10;
}

bool writeSonicParameterFile(const std::string& path, std::string_view text) {
    std::string stored;
    for (char c : text) {
        if (c == '\n') stored += '\r';
        stored += c;
    }
    FileStream file;
    return file.open(path, FileStream::Mode::Write) &&
           file.write(stored.data(), stored.size()) == stored.size() && file.close();
}

} // namespace corv
