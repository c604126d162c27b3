#include "analyser/batcher_client/job_hand_over.h"

#include "analyser/batcher_client/job_builder.h"
#include "platform/text_format.h"

#include <memory>

namespace corv {

std::string handOverFailureMessage(int jobsNotHandedOver, bool notToldToStart) {
    std::string text;
    if (jobsNotHandedOver > 0)
        text = formatText("%i job(s) could not be handed over to Quillmere: it refused them, did "
                          "not answer or no longer runs.",
                          jobsNotHandedOver);
    if (notToldToStart) {
        if (!text.empty()) text += "\n";
        text += "Quillmere could not be told to start its jobs: it did not answer or no longer "
                "runs.";
    }
    return text;
}

bool JobHandOver::connected() {
    if (!connected_) connected_ = port_.connected();
    return *connected_;
}

Delivery JobHandOver::deliver(MessageId id, const JobRecord* job) {
    const Delivery delivery = port_.send(id, job);
    if (delivery == Delivery::NoAnswer) hung_ = true;
    return delivery;
}

void JobHandOver::sendJob(const FinishedJob& job, Notifier& notifier) {
    // Without a batcher from the start the user has been told already.
    if (!connected()) return;
    auto record = std::make_unique<JobRecord>();
    if (hung_ || !buildJobRecord(job, settings_, encoders_, *record, notifier) ||
        deliver(MessageId::AddJobRecord, record.get()) != Delivery::Delivered)
        ++notHandedOver_;
}

void JobHandOver::runEnded(Notifier& notifier) {
    bool notToldToStart = false;
    if (connected()) {
        if (settings_.startBatcherWhenFinished)
            notToldToStart = hung_ || deliver(MessageId::StartJobs, nullptr) != Delivery::Delivered;
        if (!hung_) {
            port_.letBatcherComeForward();
            deliver(MessageId::NotifyUser, nullptr);
        }
    }
    const std::string message = handOverFailureMessage(notHandedOver_, notToldToStart);
    if (!message.empty()) notifier.warn(message);
}

} // namespace corv
