#include "batcher/config/win/download_file.h"

#include "batcher/config/download_texts.h"
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

// The response's content length, when it has one.
std::optional<int64_t> contentLength(HINTERNET request) {
    std::vector<char> text(kPieceSize, '\0');
    DWORD size = kPieceSize - 1;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text.data(), &size, nullptr))
        return std::nullopt;
    return leadingInteger(std::string_view(text.data(), size), int64_t{1} << 58);
}

// A redirect must not lead a secure request to plain HTTP.
bool stillSecure(HINTERNET request) {
    char url[INTERNET_MAX_URL_LENGTH] = {};
    DWORD size = sizeof url;
    return InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &size) &&
           std::string_view(url, size).starts_with("https://");
}

bool statusIsOk(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    return HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr) &&
           status == HTTP_STATUS_OK;
}

// Reads the whole response into the file; false on a read or write error, a
// cancel, more than the bound or other than the announced length.
bool receive(HINTERNET request, FileStream& file, std::optional<int64_t> announced, int64_t bound,
             DownloadObserver& observer, HANDLE cancel) {
    std::vector<char> piece(kPieceSize);
    int64_t received = 0;
    for (;;) {
        if (isSet(cancel)) return false;
        DWORD got = 0;
        if (!InternetReadFile(request, piece.data(), kPieceSize, &got)) return false;
        if (got == 0) return !announced || received == *announced;
        received += got;
        if (received > bound) return false;
        double percent = static_cast<double>(received) * 100.0 /
                         static_cast<double>(std::max<int64_t>(announced.value_or(0), 1));
        observer.progress(static_cast<int>(std::min(percent, 100.0)));
        if (file.write(piece.data(), got) != got) return false;
    }
}

enum class Attempt { Done, NoAnswer, Failed };

Attempt fetch(HINTERNET root, bool secure, DownloadRequest& request,
              const std::string& programDirectory, const DownloadRules& rules,
              DownloadObserver& observer, HANDLE cancel) {
    const std::string server(fieldText(request.serverName));
    const std::string urlPath(fieldText(request.urlPath));
    InternetHandle connection(InternetConnectA(
        root, server.c_str(), secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT, "",
        "", INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return Attempt::NoAnswer;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_UI | (secure ? INTERNET_FLAG_SECURE : 0);
    InternetHandle http(
        HttpOpenRequestA(connection, "GET", urlPath.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!http || !HttpSendRequestA(http, nullptr, 0, nullptr, 0) || !statusIsOk(http) ||
        (secure && !stillSecure(http)))
        return Attempt::NoAnswer;
    observer.connection(secure ? kSecureConnectionNote : rules.plainHttpNote);
    const std::optional<int64_t> announced = contentLength(http);
    const std::optional<int64_t> bound = downloadBound(announced, rules.ceiling);
    if (!bound) return Attempt::Failed;

    const std::string downloads = programDirectory + "downloads\\";
    CreateDirectoryA(downloads.c_str(), nullptr); // there already, or the file cannot be made
    std::optional<std::string> path = downloadedFilePath(downloads, urlPath);
    FileStream file;
    if (!path || !file.open(*path, FileStream::Mode::Write)) return Attempt::Failed;
    observer.fileName(afterLastSeparator(*path));
    bool whole = receive(http, file, announced, *bound, observer, cancel);
    whole = file.close() && whole;
    if (!whole) {
        removeFile(*path);
        return Attempt::Failed;
    }
    setFieldText(request.localFile, *path);
    return Attempt::Done;
}

} // namespace

bool DownloadFile(DownloadRequest& request, const std::string& programDirectory,
                  const DownloadRules& rules, DownloadObserver& observer, HANDLE cancel) {
    request.localFile[0] = '\0';
    InternetHandle root(InternetOpenA(kAgentName, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!root) return false;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD timeout = kTimeoutMs;
        InternetSetOptionA(root, option, &timeout, sizeof timeout);
    }
    Attempt attempt = fetch(root, true, request, programDirectory, rules, observer, cancel);
    if (attempt == Attempt::NoAnswer && rules.plainHttpAllowed && !isSet(cancel))
        attempt = fetch(root, false, request, programDirectory, rules, observer, cancel);
    return attempt == Attempt::Done;
}

} // namespace corv
