// JobSlot: the latest background job of one kind; a new one replaces the pending one, whose result is discarded.
#pragma once

#include <memory>
#include <vector>

#include "platform/background_job.h"

// Main thread only. The slot never waits for a worker except in clear():
// a replaced job is cancelled and kept until its thread has ended, and
// applyFinished() lets such jobs go once they have.
class JobSlot {
public:
    JobSlot() = default;
    ~JobSlot() { clear(); }
    JobSlot(const JobSlot&) = delete;
    JobSlot& operator=(const JobSlot&) = delete;

    // Cancels the pending job, if any, and starts this one.
    void start(BackgroundJob::Work work);
    // True while a started job has not been applied yet.
    bool pending() const { return current_ != nullptr; }
    // Lets replaced jobs that have ended go, and when the pending job has
    // finished, runs its main-thread step. True when a step ran.
    bool applyFinished();
    // Asks every job to stop without waiting; no result of theirs is applied.
    void cancel();
    // Cancels every job and waits for each worker to end its current step.
    void clear();

private:
    std::unique_ptr<BackgroundJob> current_;
    std::vector<std::unique_ptr<BackgroundJob>> retired_;
};
