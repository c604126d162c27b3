#pragma once
// The twelve encoder dialogs without their windows: what each control shows
// for the stored encoder block, what a change of a control stores, which
// check refuses OK, Apply or the command-line preview with which message,
// and the restore copy behind Apply and Cancel. The window layer only paints
// a DialogView and reports each ControlChange.
#include "analyser/encoder_settings/encoder_blocks.h"
#include "analyser/encoder_settings/job_texts.h"
#include "protocol/job_types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corv {

inline constexpr std::string_view kRunQuillmereText = "Run Quillmere to show commandline.";
inline constexpr std::string_view kNoChannelMessage =
    "You must enable atleast one channel in the channel config";

// What one control shows. Parts left empty do not belong to the control.
struct ControlView {
    int id = 0;
    std::optional<bool> checked;                   // check boxes and radio buttons
    std::optional<std::vector<std::string>> items; // list entries, tab names
    std::optional<int> selected;                   // list, tab or track bar position; -1: none
    std::optional<std::string> text;               // edit boxes, editable lists, labels
    std::optional<std::pair<int, int>> range;      // track bars
    int textLimit = 0;                             // edit boxes: most characters, 0 no limit
    bool enabled = true;
    bool shown = true;
};
using DialogView = std::vector<ControlView>;

// A control the user changed, as its window reads it.
struct ControlChange {
    int id = 0;
    bool checked = false;
    int selected = -1; // list, tab or track bar position
    std::string text;  // what was typed into an edit box or editable list
};

// The rules of one dialog over its block.
class EncoderForm {
  public:
    virtual ~EncoderForm() = default;
    virtual DialogView view() const = 0;
    virtual void change(const ControlChange& change) = 0;
    // What the command-line box shows instead of a preview; empty: ask for one.
    virtual std::string previewRefusal() const { return {}; }
    // The message that refuses OK and Apply; empty: they go ahead.
    virtual std::string refusal() const { return {}; }
    // OK of the dialogs that keep their changes until then.
    virtual void commit() {}
};

struct EncoderDialogInfo {
    JobType type;
    int templateId;
    int commandLineBox; // 0: the dialog shows no command line
    int copyButton;
    int connectButton;
    bool hasApply;
    bool storesOnOk; // changes stay in the dialog until OK (Surcode)
};

// The dialog of a job type; nothing for one outside 1000..1011.
std::optional<EncoderDialogInfo> encoderDialogInfo(int32_t jobType);

// One open encoder dialog over the stored blocks.
class EncoderEditor {
  public:
    // Null for a job type without a dialog ("Internal error, new format").
    // Takes the restore copy. While conversionRunning() is true the stored
    // blocks do not change: the conversion's worker reads them.
    static std::unique_ptr<EncoderEditor> open(int32_t jobType, EncoderBlocks& blocks,
                                               std::function<bool()> conversionRunning);

    const EncoderDialogInfo& info() const { return info_; }
    DialogView view() const { return form_->view(); }
    std::string previewRefusal() const { return form_->previewRefusal(); }
    // False when it was refused (a conversion runs): nothing changed.
    bool change(const ControlChange& change);
    // Each gives the message to show instead; empty when it went ahead (OK
    // and Cancel then close the dialog).
    std::string apply();
    std::string ok();
    std::string cancel();

  private:
    EncoderEditor(EncoderDialogInfo info, std::unique_ptr<EncoderForm> form,
                  std::pair<uint8_t*, size_t> block, std::function<bool()> conversionRunning);
    bool conversionRunning() const;
    std::vector<uint8_t> currentBlock() const;

    EncoderDialogInfo info_;
    std::unique_ptr<EncoderForm> form_;
    std::pair<uint8_t*, size_t> block_; // the stored block's bytes
    std::vector<uint8_t> restoreCopy_;
    std::function<bool()> conversionRunning_;
};

// The text of a command-line reply (copy-data 131) from bytes that come from
// another process: at most size bytes (and at most a reply's largest size)
// are read, up to the first zero. Nothing without a payload.
std::optional<std::string> commandLineReplyText(const void* payload, size_t size);

} // namespace corv
