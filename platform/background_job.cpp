// BackgroundJob: one std::thread per job, joined by the owner; the result is handed over after the join.
#include "platform/background_job.h"

#include <system_error>
#include <utility>

BackgroundJob::BackgroundJob(Work work) : work_(std::move(work)) {
    const auto run = [this] {
        result_ = work_(cancelled_);
        // Released after the result is written: whoever sees finished also sees the result.
        finished_ = true;
    };
    try {
        thread_ = std::thread(run);
    } catch (const std::system_error&) {
        run();  // out of threads: slower, but the load still happens
    }
}

BackgroundJob::~BackgroundJob() {
    cancel();
    wait();
}

void BackgroundJob::wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

BackgroundJob::MainThreadStep BackgroundJob::takeResult() {
    wait();
    MainThreadStep step = std::move(result_);
    result_ = nullptr;
    return cancelled_ ? MainThreadStep() : step;
}
