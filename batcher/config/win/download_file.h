#pragma once
// DownloadFile: one GET over WinINet, HTTPS first, into Quillmere's downloads folder.
#include "batcher/config/program_list.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace corv {

// What a download shows in its dialog and asks of the user; called on the
// download thread.
class DownloadObserver {
  public:
    virtual ~DownloadObserver() = default;
    virtual void fileName(std::string_view name) = 0;
    virtual void progress(int percent) = 0;
    // How the transfer goes: kSecureConnectionNote or a plain HTTP note.
    virtual void connection(const char* note) = 0;
    // Shows a message and returns once the user has answered it; false
    // (at once, or when it comes) on a cancel.
    virtual bool tell(std::string_view text) = 0;
};

// True when the event is given and set: a download's cancel.
inline bool isSet(HANDLE event) {
    return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

struct DownloadRules {
    bool plainHttpAllowed = false;
    const char* plainHttpNote = "";
    int64_t ceiling = kDownloadCeiling;
};

// Fetches the request's URL path from its server over HTTPS (port 443), and
// when that brings no answer and the rules allow it over plain HTTP (port
// 80), into "downloads\" + the path's last part, which must be a plain file
// name. True with the request's local file set; false, with no file left and
// the local file cleared, for no answer, a status other than 200, a name
// refused, more bytes than announced (or than the ceiling when none is
// announced), fewer than announced, a write or read error, or a set cancel
// event.
bool DownloadFile(DownloadRequest& request, const std::string& programDirectory,
                  const DownloadRules& rules, DownloadObserver& observer, HANDLE cancel);

} // namespace corv
