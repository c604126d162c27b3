#pragma once
// The batcher's part of one conversion run, on the conversion thread: one Add
// job per finished source, then Start jobs (when asked) and Notify user. It
// waits for the connection step's outcome before its first message, and
// whatever it could not hand over is told to the user at the end, never lost
// silently. A batcher that stops answering is given up for the rest of the
// run, so that a hung batcher cannot hold the conversion.
#include "analyser/encoder_settings/encoder_blocks.h"
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/conversion_settings.h"
#include "platform/notifier.h"
#include "protocol/job_record.h"
#include "protocol/messages.h"

#include <optional>
#include <string>

namespace corv {

enum class Delivery {
    Delivered,
    NoBatcher, // none runs, or its window is not known
    NoAnswer,  // it did not answer in time
    Refused,   // it answered 0 to an Add job: the job is not in its list
};

// How the messages reach the batcher.
class BatcherPort {
  public:
    virtual ~BatcherPort() = default;
    // The connection step's outcome: true when a batcher window is known.
    // May wait until the step is over.
    virtual bool connected() = 0;
    // job: the record of an Add job; null for the messages without payload.
    virtual Delivery send(MessageId id, const JobRecord* job) = 0;
    // Lets the batcher bring its window to the front, which Notify user asks of it.
    virtual void letBatcherComeForward() = 0;
};

// What the user is told at the end; empty when everything was handed over.
std::string handOverFailureMessage(int jobsNotHandedOver, bool notToldToStart);

class JobHandOver {
  public:
    JobHandOver(BatcherPort& port, const ConversionSettings& settings,
                const EncoderBlocks& encoders)
        : port_(port), settings_(settings), encoders_(encoders) {}

    void sendJob(const FinishedJob& job, Notifier& notifier);
    // The run ended without a stop.
    void runEnded(Notifier& notifier);

  private:
    // False when the run has no batcher at all (the user has been told).
    bool connected();
    Delivery deliver(MessageId id, const JobRecord* job);

    BatcherPort& port_;
    const ConversionSettings& settings_;
    const EncoderBlocks& encoders_;
    std::optional<bool> connected_;
    bool hung_ = false;
    int notHandedOver_ = 0;
};

} // namespace corv
