#include "batcher/config/win/download_file.h"

#include "platform/file_stream.h"
#include "platform/path.h"
#include "platform/text_number.h"

#include <wininet.h>

#include <algorithm>
#include <vector>

namespace corv {
namespace {

constexpr DWORD kPieceSize = 10400;
constexpr char kAgentName[] = "Quillmere";
// A cancel is seen between pieces: a server that stops sending must not
// hold the download (and Exit, which waits for it) for long.
constexpr DWORD kTimeoutMs = 30000;

class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    operator HINTERNET() const { return handle_; }

  private:
    HINTERNET handle_;
};

bool isSet(HANDLE event) {
    return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// The response's content length; 0 when it has none.
int64_t contentLength(HINTERNET request) {
    std::vector<char> text(kPieceSize, '\0');
    DWORD size = kPieceSize - 1;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text.data(), &size, nullptr)) return 0;
    return leadingInteger(std::string_view(text.data(), size), int64_t{1} << 58);
}

bool statusIsOk(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    return HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr) &&
           status == HTTP_STATUS_OK;
}

// Reads the whole response into the file; false on a read or write error or a cancel.
bool receive(HINTERNET request, FileStream& file, int64_t total, DownloadObserver& observer,
             HANDLE cancel) {
    std::vector<char> piece(kPieceSize);
    int64_t received = 0;
    for (;;) {
        if (isSet(cancel)) return false;
        DWORD got = 0;
        if (!InternetReadFile(request, piece.data(), kPieceSize, &got)) return false;
        if (got == 0) return true;
        received += got;
        double percent = static_cast<double>(received) * 100.0 /
                         static_cast<double>(std::max<int64_t>(total, 1));
        observer.progress(static_cast<int>(std::min(percent, 100.0)));
        if (file.write(piece.data(), got) != got) return false;
    }
}

} // namespace

bool DownloadFile(DownloadRequest& request, const std::string& programDirectory,
                  DownloadObserver& observer, HANDLE cancel) {
    request.localFile[0] = '\0';
    InternetHandle root(InternetOpenA(kAgentName, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!root) return false;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD timeout = kTimeoutMs;
        InternetSetOptionA(root, option, &timeout, sizeof timeout);
    }
    const std::string server(fieldText(request.serverName));
    const std::string urlPath(fieldText(request.urlPath));
    InternetHandle connection(InternetConnectA(root, server.c_str(), INTERNET_DEFAULT_HTTP_PORT, "",
                                               "", INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return false;
    InternetHandle http(HttpOpenRequestA(connection, "GET", urlPath.c_str(), nullptr, nullptr,
                                         nullptr,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                             INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI,
                                         0));
    if (!http || !HttpSendRequestA(http, nullptr, 0, nullptr, 0)) return false;
    const int64_t total = contentLength(http);
    if (!statusIsOk(http)) return false;

    const std::string downloads = programDirectory + "downloads\\";
    CreateDirectoryA(downloads.c_str(), nullptr); // there already, or the file cannot be made
    std::optional<std::string> path = downloadedFilePath(downloads, urlPath);
    FileStream file;
    if (!path || !file.open(*path, FileStream::Mode::Write)) return false;
    observer.fileName(afterLastSeparator(*path));
    bool whole = receive(http, file, total, observer, cancel);
    whole = file.close() && whole;
    if (!whole) {
        removeFile(*path);
        return false;
    }
    setFieldText(request.localFile, *path);
    return true;
}

} // namespace corv
