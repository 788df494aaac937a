// JobSlot: the pending job, and the replaced ones that are still ending their current step.
#include "platform/job_slot.h"

#include <algorithm>
#include <utility>

void JobSlot::start(BackgroundJob::Work work) {
    if (current_ != nullptr) {
        current_->cancel();
        retired_.push_back(std::move(current_));
    }
    current_ = std::make_unique<BackgroundJob>(std::move(work));
}

bool JobSlot::applyFinished() {
    // A retired job has been cancelled: once its thread has ended, destroying it does not block.
    retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                  [](const std::unique_ptr<BackgroundJob>& job) { return job->finished(); }),
                   retired_.end());
    if (current_ == nullptr || !current_->finished()) {
        return false;
    }
    const std::unique_ptr<BackgroundJob> job = std::move(current_);
    const BackgroundJob::MainThreadStep step = job->takeResult();
    if (!step) {
        return false;
    }
    step();
    return true;
}

void JobSlot::cancel() {
    if (current_ != nullptr) {
        current_->cancel();
        retired_.push_back(std::move(current_));
    }
}

void JobSlot::clear() {
    cancel();
    // Every worker has been told already, so they all end their steps side by side.
    retired_.clear();
}
