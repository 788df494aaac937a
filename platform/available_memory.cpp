// Available memory: /proc/meminfo or the budget variable, and one ledger of reservations behind a mutex.
#include "platform/available_memory.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <mutex>

namespace {

const char* const kBudgetVariable = "LUMIVOR_AVAILABLE_MEMORY";
constexpr std::uint64_t kBytesPerKilobyte = 1000;
constexpr std::uint64_t kBytesPerMegabyte = 1000 * kBytesPerKilobyte;
constexpr std::uint64_t kBytesPerGigabyte = 1000 * kBytesPerMegabyte;
// /proc/meminfo counts in kibibytes whatever its "kB" says.
constexpr std::uint64_t kMeminfoUnit = 1024;
// How often a waiting reservation looks at its cancel flag.
constexpr std::chrono::milliseconds kReservationPoll{50};

struct Ledger {
    std::mutex mutex;
    std::condition_variable released;
    std::uint64_t reserved = 0;
};

Ledger& ledger() {
    static Ledger* const theLedger = new Ledger();
    return *theLedger;
}

std::optional<std::uint64_t> memAvailable() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kibibytes = 0;
    std::string unit;
    while (meminfo >> key >> kibibytes >> unit) {
        if (key == "MemAvailable:") {
            return kibibytes * kMeminfoUnit;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> parseByteCount(const std::string& text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long number = std::strtoull(text.c_str(), &end, 10);
    std::uint64_t unit = 1;
    if (*end == 'K' || *end == 'k') {
        unit = kBytesPerKilobyte, ++end;
    } else if (*end == 'M') {
        unit = kBytesPerMegabyte, ++end;
    } else if (*end == 'G') {
        unit = kBytesPerGigabyte, ++end;
    }
    if (errno != 0 || *end != '\0' || number > std::numeric_limits<std::uint64_t>::max() / unit) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(number) * unit;
}

std::optional<std::uint64_t> availableMemoryBytes() {
    // Read once per load, on whichever thread loads; nothing sets it while the program runs.
    if (const char* budget = std::getenv(kBudgetVariable)) {
        return parseByteCount(budget);
    }
    return memAvailable();
}

std::string formatBytes(std::uint64_t bytes) {
    char text[32];
    if (bytes >= kBytesPerGigabyte) {
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / kBytesPerGigabyte);
    } else {
        std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / kBytesPerMegabyte);
    }
    return text;
}

MemoryReservation::Outcome MemoryReservation::reserve(std::uint64_t bytes, const CancelFlag& cancelled,
                                                      std::uint64_t& available) {
    release();
    Ledger& shared = ledger();
    std::unique_lock<std::mutex> lock(shared.mutex);
    for (;;) {
        if (cancelled) {
            return Outcome::Cancelled;
        }
        // What other loads have allocated already shows in the figure as well:
        // counting their whole reservations again errs toward waiting, never
        // toward refusing a map that fits alone.
        const std::optional<std::uint64_t> now = availableMemoryBytes();
        available = now.value_or(0);
        const bool fits = !now || shared.reserved + bytes <= *now;
        if (fits || shared.reserved == 0) {
            if (!fits) {
                return Outcome::TooLarge;
            }
            shared.reserved += bytes;
            bytes_ = bytes;
            return Outcome::Reserved;
        }
        shared.released.wait_for(lock, kReservationPoll);
    }
}

void MemoryReservation::release() {
    if (bytes_ == 0) {
        return;
    }
    Ledger& shared = ledger();
    {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        shared.reserved -= bytes_;
        bytes_ = 0;
    }
    shared.released.notify_all();
}
