// Background jobs: results applied on the caller's thread, replaced jobs discarded, cancellation, memory reservations.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/available_memory.h"
#include "platform/background_job.h"
#include "platform/job_slot.h"

namespace {

// A door the test opens: work waits at it, so the test decides when a job ends.
class Gate {
public:
    void open() {
        const std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    void pass() {
        std::unique_lock<std::mutex> lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// Work that waits at the gate, then returns a step recording name.
BackgroundJob::Work recordingWork(Gate& gate, std::vector<std::string>& applied, const std::string& name) {
    return [&gate, &applied, name](const CancelFlag&) -> BackgroundJob::MainThreadStep {
        gate.pass();
        return [&applied, name] { applied.push_back(name); };
    };
}

// Applies finished jobs until the slot has none pending (or about ten seconds have passed).
void applyUntilDone(JobSlot& slot) {
    for (int i = 0; i < 2000 && slot.pending(); ++i) {
        slot.applyFinished();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Sets the budget variable for one test.
class ScopedBudget {
public:
    explicit ScopedBudget(const char* bytes) { setenv("LUMIVOR_AVAILABLE_MEMORY", bytes, 1); }
    ~ScopedBudget() { unsetenv("LUMIVOR_AVAILABLE_MEMORY"); }
};

}  // namespace

TEST(JobSlot, TheStepRunsOnTheCallersThreadOnlyWhenApplied) {
    Gate gate;
    std::thread::id stepThread;
    JobSlot slot;
    slot.start([&](const CancelFlag&) -> BackgroundJob::MainThreadStep {
        gate.pass();
        return [&] { stepThread = std::this_thread::get_id(); };
    });
    EXPECT_FALSE(slot.applyFinished()) << "nothing to apply while the work runs";
    gate.open();
    applyUntilDone(slot);
    EXPECT_EQ(stepThread, std::this_thread::get_id());
}

TEST(JobSlot, ANewerJobCancelsThePendingOneWhoseResultIsDiscardedEvenWhenItFinishes) {
    Gate first, second;
    std::vector<std::string> applied;
    std::atomic<bool> firstSawCancel{false};
    JobSlot slot;
    slot.start([&](const CancelFlag& cancelled) {
        const BackgroundJob::MainThreadStep step = recordingWork(first, applied, "first")(cancelled);
        firstSawCancel = cancelled.load();
        return step;
    });
    slot.start(recordingWork(second, applied, "second"));
    first.open();  // the replaced job ends its step and returns its result before the newer one is done
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    slot.applyFinished();
    second.open();
    applyUntilDone(slot);
    EXPECT_EQ(applied, std::vector<std::string>{"second"});
    EXPECT_TRUE(firstSawCancel);
}

TEST(JobSlot, ClearingCancelsTheWorkAndWaitsForItsCurrentStep) {
    std::atomic<int> steps{0};
    std::atomic<bool> sawCancel{false};
    bool applied = false;
    {
        JobSlot slot;
        slot.start([&](const CancelFlag& cancelled) -> BackgroundJob::MainThreadStep {
            while (!cancelled) {
                ++steps;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            sawCancel = true;
            return [&] { applied = true; };
        });
        while (steps == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        slot.clear();
        EXPECT_TRUE(sawCancel) << "clear() returned before the worker ended";
        EXPECT_FALSE(slot.pending());
    }
    EXPECT_FALSE(applied) << "a cancelled job's step never runs";
}

TEST(MemoryReservation, ALoadWaitsForOthersAndIsRefusedOnlyWhenItAloneDoesNotFit) {
    const ScopedBudget budget("100");
    const CancelFlag never{false};
    std::uint64_t available = 0;
    MemoryReservation tooLarge;
    EXPECT_EQ(tooLarge.reserve(101, never, available), MemoryReservation::Outcome::TooLarge);
    EXPECT_EQ(available, 100u);

    MemoryReservation held;
    ASSERT_EQ(held.reserve(60, never, available), MemoryReservation::Outcome::Reserved);
    std::atomic<bool> done{false};
    MemoryReservation::Outcome waited = MemoryReservation::Outcome::Cancelled;
    std::thread other([&] {
        MemoryReservation second;
        waited = second.reserve(60, never, available);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done) << "60 + 60 do not fit in 100: the second load waits";
    held.release();
    other.join();
    EXPECT_EQ(waited, MemoryReservation::Outcome::Reserved);

    CancelFlag cancelled{false};
    ASSERT_EQ(held.reserve(60, never, available), MemoryReservation::Outcome::Reserved);
    std::thread stopped([&] {
        MemoryReservation second;
        waited = second.reserve(60, cancelled, available);
    });
    cancelled = true;
    stopped.join();
    EXPECT_EQ(waited, MemoryReservation::Outcome::Cancelled);
}

TEST(AvailableMemory, TheBudgetVariableTakesDecimalSuffixesAndTheFiguresReadAsTheMessagesShowThem) {
    EXPECT_EQ(parseByteCount("64M"), std::optional<std::uint64_t>(64000000));
    EXPECT_EQ(parseByteCount("3G"), std::optional<std::uint64_t>(3000000000));
    EXPECT_EQ(parseByteCount("12"), std::optional<std::uint64_t>(12));
    EXPECT_EQ(parseByteCount("-1"), std::nullopt);
    EXPECT_EQ(parseByteCount("64MB"), std::nullopt);
    EXPECT_EQ(parseByteCount("99999999999999999999"), std::nullopt);
    EXPECT_EQ(formatBytes(6442450944), "6.4 GB");
    EXPECT_EQ(formatBytes(412000000), "412 MB");
    {
        const ScopedBudget budget("2K");
        EXPECT_EQ(availableMemoryBytes(), std::optional<std::uint64_t>(2000));
    }
    // Without the variable, the system's figure: some memory is always available to a running test.
    EXPECT_GT(availableMemoryBytes().value_or(0), 0u);
}
