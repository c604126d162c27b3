// Saves PNG pictures of Corvandale's windows into the folder it is given
// (the README shows the copies kept in docs/): the main window with a
// filled list, the preferences dialog, the properties viewer, the batcher
// dialog with an encoder dialog and the conversion dialog during a run. A
// window that does not open is named and left out; the run fails only when
// the main window or the conversion dialog cannot be saved.
#include "corvandale_app.h"
#include "remote_window.h"

#include <commctrl.h>
#include <wincodec.h>

#include <cstdio>
#include <vector>

namespace {

using namespace e2e;

template <typename T> struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// Top-down 32-bit BGRA pixels of the screen rectangle.
std::vector<BYTE> screenPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<BYTE> pixels(static_cast<size_t>(w) * h * 4);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 255; // the screen has no alpha
    return pixels;
}

// The window as it shows on the screen (title bar and frame included),
// written through the imaging component's PNG encoder.
bool saveWindowPng(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return false;
    const UINT w = static_cast<UINT>(r.right - r.left), h = static_cast<UINT>(r.bottom - r.top);
    std::vector<BYTE> pixels = screenPixels(r);

    const bool ownCom = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    bool saved = false;
    {
        Released<IWICImagingFactory> factory;
        Released<IWICStream> stream;
        Released<IWICBitmapEncoder> encoder;
        Released<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
        saved = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory,
                                           reinterpret_cast<void**>(&factory))) &&
                SUCCEEDED(factory->CreateStream(&stream)) &&
                SUCCEEDED(stream->InitializeFromFilename(widen(path).c_str(), GENERIC_WRITE)) &&
                SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
                SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
                SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
                SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(w, h)) &&
                SUCCEEDED(frame->SetPixelFormat(&format)) &&
                SUCCEEDED(frame->WritePixels(h, w * 4, static_cast<UINT>(pixels.size()),
                                             pixels.data())) &&
                SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (ownCom) CoUninitialize();
    return saved;
}

bool save(HWND window, const std::string& folder, const char* name) {
    if (!window) {
        std::printf("%s: the window did not open\n", name);
        return false;
    }
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(200); // painted by the other process
    const bool saved = saveWindowPng(window, folder + name);
    std::printf("%s: %s\n", name, saved ? "saved" : "could not be saved");
    return saved;
}

// Opens one of the modeless dialogs, saves it and closes it again.
void saveDialog(const CorvandaleProcess& app, int command, const char* title,
                const std::string& folder, const char* name) {
    app.post(command);
    HWND dialog = waitForDialog(app.processId(), title);
    save(dialog, folder, name);
    if (dialog) pressButton(dialog, 215);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string folder = std::string(argv[1]) + "\\";
    CreateDirectoryA(argv[1], nullptr);
    ScratchFolder program("corv-shots"), music("corv-shots-music"), out("corv-shots-out");
    writeSettings(program.path(), out.path(), [&](corv::ConversionSettings& s) {
        s.convertSampleRate = 1;
        s.targetSampleRate = 96000;
        s.convertSampleType = 1;
        s.targetSampleType = 8;
    });
    struct Source {
        const char* name;
        int channels;
        uint32_t rate;
        double seconds;
    } sources[] = {{"Finale.wav", 2, 44100, 120},
                   {"Intro.wav", 2, 44100, 12.5},
                   {"Voice over DELAY -20ms.wav", 1, 48000, 31},
                   {"Surround mix.wav", 6, 48000, 64},
                   {"Room tone.wav", 1, 22050, 3.2}};
    std::vector<std::string> paths;
    for (const Source& s : sources)
        writeSine(paths.emplace_back(music.path() + s.name), s.channels, s.rate, s.seconds);
    CorvandaleProcess app(program.path());
    if (!app.start() || !dropFiles(app.mainWindow(), paths)) {
        std::printf("Corvandale did not start or did not take the files\n");
        return 1;
    }
    waitFor([&] { return app.columnTexts("Type") == std::vector<std::string>(5, "Wave PCM"); });
    SetWindowPos(app.mainWindow(), nullptr, 40, 40, 780, 330, SWP_NOZORDER);
    setListRowSelected(app.fileList(), 1, true);
    bool ok = save(app.mainWindow(), folder, "main-window.png");

    saveDialog(app, kPreferences, "Preferences", folder, "preferences.png");
    saveDialog(app, kProperties, "Wave Properties", folder, "properties.png");
    app.post(8013); // Edit > Quillmere, then Configure of "Sonic Foundry Softencode"
    if (HWND batcher = waitForDialog(app.processId(), "Quillmere")) {
        SendDlgItemMessageA(batcher, 3025, CB_SETCURSEL, 10, 0);
        save(batcher, folder, "batcher.png");
        pressButton(batcher, 3070);
        HWND encoder = waitForDialog(app.processId(), "Sonic Foundry Softencode configuration");
        save(encoder, folder, "sonic-foundry.png");
        if (encoder) pressButton(encoder, 215);
        pressButton(batcher, 215);
    }

    app.post(kConvert);
    HWND conversion = waitForDialog(app.processId(), "Converting file");
    waitFor(
        [&] { // a quarter of the long first file done
            return SendDlgItemMessageA(conversion, 2302, PBM_GETPOS, 0, 0) >= 25;
        },
        10s);
    ok = save(conversion, folder, "conversion.png") && ok;
    if (conversion) pressButton(conversion, IDCANCEL);
    app.waitForConversionEnd();
    PostMessageA(app.mainWindow(), WM_CLOSE, 0, 0);
    app.waitForExit();
    return ok ? 0 : 1;
}
