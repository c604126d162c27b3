#include "batcher/core/ac3_job.h"

#include "batcher/core/data_chunk.h"
#include "batcher/core/job_progress.h"
#include "batcher/encoders/output_name.h"
#include "batcher/encoders/text_format.h"
#include "platform/file_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace corv {
namespace {

constexpr char kMissingLine[] =
    "\r\n***** ac3enc.dll is missing or invallid, skipping current job *****\r\n";
constexpr char kInitLine[] =
    "\r\n***** Error initialising the dll, skipping current job  *****\r\n";
constexpr char kInputLine[] = "\r\n***** Cant open input file, skipping current job *****\r\n";
constexpr char kDataLine[] = "\r\n***** Cant find data chunk, skipping current job *****\r\n";
constexpr char kOutputLine[] = "\r\n***** Cant open output file, skipping current job *****\r\n";
constexpr char kWriteLine[] = "\r\n***** Cant write output file, skipping current job *****\r\n";
constexpr char kFinishedLine[] = "\r\n***** Ac3 encoder finished/terminated *****\r\n\r\n\r\n";

std::string propertiesText(std::string_view libraryPath, const uint8_t* record) {
    const char* homePage = reinterpret_cast<const char*>(record + 8);
    // The library's text need not end inside its record.
    const void* zero = std::memchr(homePage, 0, kAc3VersionRecordBytes - 8);
    size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - homePage)
                         : kAc3VersionRecordBytes - 8;
    return formatText("\tac3 encoder properties:\r\n\tfilename: \"%.*s\" \r\n\tRelease date: "
                      "%02i-%02i-%04i (dd-mm-yyyy)\r\n\tHomePage: %.*s\r\n",
                      static_cast<int>(libraryPath.size()), libraryPath.data(), record[4],
                      record[5], record[6] | record[7] << 8, static_cast<int>(length), homePage);
}

class Ac3Encoding {
  public:
    Ac3Encoding(const JobRecord& job, const Ac3Library& library, RunShared shared,
                RunObserver& observer)
        : settings_(job.settings.ac3Library), job_(job), library_(library), shared_(shared),
          observer_(observer) {}

    void run(std::string_view libraryPath) {
        inputSize_ = std::max<int64_t>(inputLength(), 0);
        std::vector<uint8_t> version(kAc3VersionRecordBytes, 0);
        library_.version(version.data());
        log(propertiesText(libraryPath, version.data()));
        const int channels = ac3ChannelCount(settings_.codingMode, settings_.lfe != 0);
        if (channels == 0) {
            // Blocks of 0 bytes would be "read whole" for ever.
            log(formatText("\r\n***** Audio coding mode %i is not one of 1 to 7, skipping current "
                           "job *****\r\n",
                           settings_.codingMode));
            return;
        }
        blockBytes_ = static_cast<size_t>(channels) * kAc3BlockBytesPerChannel;
        if (!initialise(channels)) return log(kInitLine);
        encodeFile();
        if (!outputPath_.empty() && (failed_ || shared_.abort)) removeFile(outputPath_);
    }

  private:
    void log(std::string_view text) { AppendLog(shared_.jobLog, text); }

    int64_t inputLength() {
        FileStream input;
        if (!input.open(std::string(fieldText(settings_.inputPath)), FileStream::Mode::Read))
            return 0;
        return input.length();
    }

    bool initialise(int channels) {
        Ac3InitRecord record{};
        record.sampleRate = static_cast<uint32_t>(settings_.sampleRate);
        record.bitRate = static_cast<uint32_t>(settings_.dataRate) * 1000u;
        record.channels = static_cast<uint32_t>(channels);
        record.lfe = settings_.codingMode > 2 && settings_.lfe ? 1 : 0;
        record.codingMode = static_cast<uint8_t>(settings_.codingMode);
        return library_.init(&record) == 0;
    }

    void encodeFile() {
        const std::string inputPath(fieldText(settings_.inputPath));
        FileStream input;
        if (!input.open(inputPath, FileStream::Mode::Read)) return log(kInputLine);
        log("\tInput File: " + inputPath + "\r\n");
        if (!findDataChunk(input)) return log(kDataLine);
        std::string name;
        FileStream output;
        if (!chooseOutputName(fieldText(job_.outputDirectory), fieldText(job_.baseName), ".ac3",
                              name)
                 .ok ||
            !output.open(name, FileStream::Mode::Write))
            return log(kOutputLine);
        outputPath_ = name;
        log("\tOutput File: " + name + "\r\n");
        encodeBlocks(input, output);
        library_.close();
        if (!output.close()) failed_ = true;
        log(failed_ ? failureLine_ : kFinishedLine);
    }

    void encodeBlocks(FileStream& input, FileStream& output) {
        std::vector<uint8_t> in(kAc3BufferBytes, 0), out(kAc3BufferBytes, 0);
        size_t got = input.read(in.data(), blockBytes_);
        log("\tProgress:");
        int64_t done = 0;
        int lastPercent = 0;
        while (got == blockBytes_ && !shared_.abort) {
            done += static_cast<int64_t>(blockBytes_);
            int percent = inputSize_ > 0 ? static_cast<int>(done * 100 / inputSize_) : 0;
            if (percent != lastPercent) {
                observer_.progress(percentOf(percent, shared_.progressTotal));
                log(formatText(" %i%%", percent));
                lastPercent = percent;
            }
            if (!encode(in, out, output)) return;
            got = input.read(in.data(), blockBytes_);
        }
        // The last part of a block is encoded zero-filled, as is a whole block a Stop left.
        if (got > 0) {
            std::memset(in.data() + got, 0, blockBytes_ - got);
            encode(in, out, output);
        }
    }

    bool encode(std::vector<uint8_t>& in, std::vector<uint8_t>& out, FileStream& output) {
        int bytes = library_.encodeFrame(out.data(), in.data());
        if (bytes < 0 || static_cast<size_t>(bytes) > kAc3BufferBytes) {
            failureLine_ = formatText("\r\n***** ac3enc.dll gave %i bytes for one frame, "
                                      "skipping current job *****\r\n",
                                      bytes);
            failed_ = true;
        } else if (output.write(out.data(), static_cast<size_t>(bytes)) !=
                   static_cast<size_t>(bytes)) {
            failureLine_ = kWriteLine;
            failed_ = true;
        }
        return !failed_;
    }

    const Ac3LibrarySettings& settings_;
    const JobRecord& job_;
    const Ac3Library& library_;
    RunShared shared_;
    RunObserver& observer_;
    int64_t inputSize_ = 0;
    size_t blockBytes_ = 0;
    std::string outputPath_;
    bool failed_ = false;
    std::string failureLine_ = kWriteLine;
};

} // namespace

int ac3ChannelCount(int32_t codingMode, bool lfe) {
    static constexpr int kChannels[8] = {0, 1, 2, 3, 3, 4, 4, 5};
    if (codingMode < 1 || codingMode > 7) return 0;
    return kChannels[codingMode] + (lfe ? 1 : 0);
}

void RunAc3Job(const JobRecord& job, std::string_view libraryPath, const Ac3Library* library,
               RunShared shared, RunObserver& observer) {
    AppendLog(shared.jobLog, "***** Starting ac3 encoder dll *****\r\n");
    if (!library) return AppendLog(shared.jobLog, kMissingLine);
    Ac3Encoding(job, *library, shared, observer).run(libraryPath);
}

} // namespace corv
