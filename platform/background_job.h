// BackgroundJob: work run on a thread of its own, whose result is a step the main thread applies.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

// Raised by the main thread to ask a worker to stop; the worker looks at it
// between its steps and returns early when it is set.
using CancelFlag = std::atomic<bool>;

class BackgroundJob {
public:
    // What the main thread does with a finished job's result (an upload, a
    // swap of lights, a message); empty when there is nothing to apply.
    using MainThreadStep = std::function<void()>;
    // The work run on the worker thread: it checks the flag between its steps
    // and returns the step to apply, or an empty one once cancelled.
    using Work = std::function<MainThreadStep(const CancelFlag& cancelled)>;

    // Starts the work at once on a new thread; where no thread can be
    // started, the work runs here, before the constructor returns.
    explicit BackgroundJob(Work work);
    // Cancels and waits for the worker, which ends after its current step.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // True once the work has returned; the result may then be taken.
    bool finished() const { return finished_; }
    // Blocks until the work has returned.
    void wait();
    // Waits for the work and hands over its step (empty when cancelled); the
    // step is handed over once. Main thread only.
    MainThreadStep takeResult();

private:
    Work work_;  // destroyed with the job, on the thread that owns it
    MainThreadStep result_;
    CancelFlag cancelled_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};
