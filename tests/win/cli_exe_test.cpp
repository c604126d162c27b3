// corvandale-cli.exe as a Windows program: started as a process under Wine,
// converting a file whose name is not plain ASCII (arguments arrive as UTF-8
// through the manifest's code page) and reporting it in its JSON.
#include "temp_dir.h"
#include "wav_builder.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace corv::test {
namespace {

std::wstring wide(const std::string& utf8) {
    std::wstring out(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.pop_back();
    return out;
}

// The build tree's Unix path of the program, as Wine sees it.
std::wstring programPath() {
    std::string path = "Z:" CORVANDALE_CLI_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return wide(path);
}

struct ExeRun {
    DWORD status = 1000;
    std::string out;
};

// Runs the program with stdout into a file and waits for it.
ExeRun runCli(const std::wstring& arguments, const std::filesystem::path& stdoutFile) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(stdoutFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    std::wstring command = L"\"" + programPath() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    ExeRun run;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &run.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    Bytes bytes = readFile(stdoutFile.string());
    run.out.assign(bytes.begin(), bytes.end());
    return run;
}

TEST(CliExe, ConvertsAFileWithAUtf8NameAndNamesItsOutput) {
    TempDir temp;
    const std::string name = "Chor \xC3\xA9t\xC3\xA9";
    Bytes samples;
    for (int16_t v : {32767, -32768, 100, -100})
        putU16(samples, static_cast<uint16_t>(v));
    const std::filesystem::path source =
        temp.path() / std::filesystem::path(
                          std::u8string(reinterpret_cast<const char8_t*>((name + ".wav").c_str())));
    {
        HANDLE file =
            CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const Bytes wav = wave(FormatFields{}, samples);
        DWORD written = 0;
        WriteFile(file, wav.data(), static_cast<DWORD>(wav.size()), &written, nullptr);
        CloseHandle(file);
    }
    const ExeRun run = runCli(L"convert --type 24bit --json \"" + source.wstring() + L"\"",
                              temp.path() / "out.txt");
    ASSERT_EQ(run.status, 0u) << run.out;
    EXPECT_NE(run.out.find("\"result\": 3"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(name + "(1).wav"), std::string::npos) << run.out;
    const std::filesystem::path output =
        temp.path() / std::filesystem::path(std::u8string(
                          reinterpret_cast<const char8_t*>((name + "(1).wav").c_str())));
    EXPECT_TRUE(std::filesystem::exists(output));
    EXPECT_EQ(std::filesystem::file_size(output), 44u + 2 * 2 * 3);
}

TEST(CliExe, BadUsageExitsWithTwo) {
    TempDir temp;
    EXPECT_EQ(runCli(L"convert --type 7bit x.wav", temp.path() / "out.txt").status, 2u);
}

} // namespace
} // namespace corv::test
