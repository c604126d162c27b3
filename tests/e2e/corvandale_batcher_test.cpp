// Corvandale and Quillmere as one: converted files become Quillmere's jobs.
// The real Corvandale.exe, with the real Quillmere.exe and LAME, or with a
// stand-in Quillmere window of this test that counts what reaches it.
#include "copydata_client.h"
#include "corvandale_app.h"
#include "drop_files.h"
#include "remote_window.h"

#include "analyser/batcher_client/job_hand_over.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace {

using namespace e2e;
using Texts = std::vector<std::string>;

// Quillmere as Corvandale finds it: a window of its class and title, on a
// thread of its own, that answers Open connection and keeps every message;
// with its semaphore when asked; slow to answer. hangOnJobs: an Add job holds it until release().
class BatcherStandIn {
  public:
    BatcherStandIn(bool withSemaphore, bool hangOnJobs = false) : hangOnJobs_(hangOnJobs) {
        if (withSemaphore) semaphore_ = CreateSemaphoreA(nullptr, 1, 1, "QuillmereSema");
        release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this] { run(); });
        waitFor([this] { return window_ != nullptr; });
    }
    ~BatcherStandIn() {
        release();
        PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
        CloseHandle(release_);
        if (semaphore_) CloseHandle(semaphore_);
    }
    void release() { SetEvent(release_); }
    std::vector<uint64_t> ids() {
        std::lock_guard<std::mutex> lock(lock_);
        std::vector<uint64_t> ids;
        for (const Received& r : received_)
            ids.push_back(r.id);
        return ids;
    }
    std::string payload(size_t i) {
        std::lock_guard<std::mutex> lock(lock_);
        return received_.at(i).payload;
    }

  private:
    void run() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Quillmere";
        RegisterClassA(&wc); // fails harmlessly for a second stand-in
        window_ = CreateWindowA("Quillmere", "Quillmere", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                nullptr, wc.hInstance, this);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
    }
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<BatcherStandIn*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_DESTROY) PostQuitMessage(0);
        if (message != WM_COPYDATA || !self) return DefWindowProcA(window, message, wParam, lParam);
        Sleep(100); // every answer comes as late as under load
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        {
            std::lock_guard<std::mutex> lock(self->lock_);
            const auto* bytes = static_cast<const char*>(data->lpData);
            self->received_.push_back({reinterpret_cast<HWND>(wParam), data->dwData,
                                       bytes ? std::string(bytes, data->cbData) : std::string(),
                                       bytes != nullptr});
        }
        if (data->dwData == 100) {
            COPYDATASTRUCT reply{102, 0, nullptr};
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(reinterpret_cast<HWND>(wParam), WM_COPYDATA,
                                reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&reply),
                                SMTO_NORMAL, 5000, &ignored);
        }
        if (data->dwData == 130 && self->hangOnJobs_) WaitForSingleObject(self->release_, INFINITE);
        return 1;
    }

    const bool hangOnJobs_;
    HANDLE semaphore_ = nullptr;
    HANDLE release_ = nullptr;
    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::mutex lock_;
    std::vector<Received> received_;
};

// Corvandale in its own folder sending LAME jobs, with files listed.
struct Converter {
    Converter(const std::string& folder, const std::vector<std::string>& sources,
              const std::function<void(corv::ConversionSettings&)>& change = {})
        : app(folder) {
        writeSettings(folder, [&](corv::ConversionSettings& s) {
            s.sendJobsToBatcher = s.startBatcherWhenFinished = 1;
            s.batcherOutputType = 1008;
            if (change) change(s);
        });
        EXPECT_TRUE(app.start());
        list(sources);
    }
    void list(const std::vector<std::string>& sources) {
        app.post(kClearList);
        ASSERT_TRUE(waitFor([&] { return app.rows() == 0; }));
        ASSERT_TRUE(dropFiles(app.mainWindow(), sources));
        ASSERT_TRUE(
            waitFor([&] { return app.columnTexts("Type") == Texts(sources.size(), "Wave PCM"); }));
    }
    CorvandaleProcess app;
};

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The converted files go to real-lame-corvandale\ beside this test, where
// check_real_outputs.sh decodes LAME's .mp3 files natively afterwards.
TEST(CorvandaleQuillmere, StartsQuillmereFromItsTreeWhoseLameJobsMakeMp3s) {
    const std::string lame = "Z:" CORV_ENCODER_CACHE "/lame-3.100/lame.exe";
    if (!fileExists(lame)) GTEST_SKIP() << "no " << lame << ": run scripts/build-lame.sh";
    killProcesses("Quillmere.exe", 0);
    // The program folder's a-loop (made by the build) is a folder link back to
    // itself that the search meets before tools\.
    const std::string program = ownDirectory() + "corv-tree\\", tools = program + "tools\\";
    ASSERT_TRUE(CopyFileA((ownDirectory() + "Quillmere.exe").c_str(),
                          (tools + "Quillmere.exe").c_str(), FALSE));
    writeBatcherSettings(tools, {{8, lame}});
    const std::string music = freshFolderBesideTest("real-lame-corvandale");
    const Texts names = {"one", "two", "three"};
    Texts sources;
    for (size_t i = 0; i < names.size(); ++i)
        writeSine(sources.emplace_back(music + names[i] + ".wav"), 2, 44100, 0.4 * (i + 1));

    Converter converter(program, sources);
    converter.app.post(kConvert);
    HWND quillmere = nullptr;
    ASSERT_TRUE(waitFor([&] { return (quillmere = FindWindowA("Quillmere", "Quillmere")); }));
    ASSERT_TRUE(waitFor([&] { return listRowCount(GetDlgItem(quillmere, 5005)) == 3; }));
    // Its logs beside it: the Quillmere.exe in tools\ runs.
    ASSERT_TRUE(waitFor(
        [&] { return count(readFile(tools + "JobLogQuillmere.txt"), "\tExit code: 0\r\n") == 3; },
        120s))
        << readFile(tools + "JobLogQuillmere.txt");
    ASSERT_TRUE(converter.app.waitForConversionEnd());
    EXPECT_EQ(converter.app.columnTexts("Result"), Texts(3, "Succes"));
    for (const std::string& name : names)
        EXPECT_TRUE(fileExists(music + name + "(1).mp3")) << name;
    killProcesses("Quillmere.exe", 0);
}

TEST(CorvandaleQuillmere, WithoutQuillmereTheRunSaysSoAndSendsNothing) {
    ScratchFolder program("corv-no-batcher"), music("corv-no-batcher-music");
    writeSine(music.path() + "a.wav", 2, 44100, 0.2);
    BatcherStandIn window(false); // a window alone, without the semaphore, is no batcher
    Converter converter(program.path(), {music.path() + "a.wav"});
    converter.app.post(kConvert);
    EXPECT_EQ(answerMessageBox(converter.app.processId(), "Attention"),
              "No running instance of Quillmere found");
    ASSERT_TRUE(converter.app.waitForConversionEnd());
    EXPECT_EQ(converter.app.columnTexts("Result"), Texts{"Succes"});
    EXPECT_TRUE(window.ids().empty());
    EXPECT_EQ(countProcesses("Quillmere.exe"), 0);
}

TEST(CorvandaleQuillmere, AStoppedRunSendsNothingAFinishedOneItsJobThenStartAndNotify) {
    ScratchFolder program("corv-stand-in"), music("corv-stand-in-music");
    writeSine(music.path() + "long.wav", 2, 44100, 120);
    writeSine(music.path() + "short.wav", 2, 44100, 0.5);
    BatcherStandIn quillmere(true);
    Converter converter(program.path(), {music.path() + "long.wav"},
                        [](corv::ConversionSettings& s) {
                            s.convertSampleRate = 1; // slow enough to be stopped
                            s.targetSampleRate = 48000;
                        });
    auto& app = converter.app;
    app.post(kConvert);
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] { return (dialog = findDialog(app.processId(), "Converting file")); }));
    ASSERT_TRUE(waitFor([&] { return !quillmere.ids().empty(); })); // connected, converting
    pressButton(dialog, IDCANCEL);
    ASSERT_TRUE(app.waitForConversionEnd());
    EXPECT_EQ(quillmere.ids(), std::vector<uint64_t>{100});

    converter.list({music.path() + "short.wav"});
    ASSERT_TRUE(app.convertAndWait());
    ASSERT_EQ(quillmere.ids(), (std::vector<uint64_t>{100, 130, 110, 104}));
    const std::string record = quillmere.payload(1);
    ASSERT_EQ(record.size(), sizeof(corv::JobRecord));
    const auto* job = reinterpret_cast<const corv::JobRecord*>(record.data());
    EXPECT_EQ(job->jobType, 1008);
    EXPECT_EQ(std::string(job->jobName), "short.wav");
    EXPECT_EQ(job->frameCount, 24000u);
    EXPECT_EQ(std::string(job->settings.lame.inputPath), music.path() + "short(1).wav");
}

TEST(CorvandaleQuillmere, AHungQuillmereLetsTheRunEndAndIsReported) {
    ScratchFolder program("corv-hung"), music("corv-hung-music");
    writeSine(music.path() + "a.wav", 2, 44100, 0.2);
    writeSine(music.path() + "b.wav", 2, 44100, 0.2);
    BatcherStandIn quillmere(true, true);
    Converter converter(program.path(), {music.path() + "a.wav", music.path() + "b.wav"});
    converter.app.post(kConvert);
    EXPECT_EQ(answerMessageBox(converter.app.processId(), "Attention"),
              corv::handOverFailureMessage(2, true));
    ASSERT_TRUE(converter.app.waitForConversionEnd());
    EXPECT_EQ(converter.app.columnTexts("Result"), Texts(2, "Succes"));
    EXPECT_EQ(quillmere.ids(), (std::vector<uint64_t>{100, 130}));
}

} // namespace
