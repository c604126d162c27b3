#pragma once
// DownloadFile: one HTTP GET over WinINet into Quillmere's downloads folder.
#include "batcher/config/program_list.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace corv {

// What a download shows in its dialog; called on the download thread.
class DownloadObserver {
  public:
    virtual ~DownloadObserver() = default;
    virtual void fileName(std::string_view name) = 0;
    virtual void progress(int percent) = 0;
};

// Fetches the request's URL path from its server (port 80) into
// "downloads\" + the path's last part, which must be a plain file name.
// True with the request's local file set; false, with no file left and the
// local file cleared, for no connection, a status other than 200, a name
// refused, a write or read error, or a set cancel event.
bool DownloadFile(DownloadRequest& request, const std::string& programDirectory,
                  DownloadObserver& observer, HANDLE cancel);

} // namespace corv
