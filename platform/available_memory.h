// Available memory: what the system can give the program now, and the reservations of the loads in flight.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/background_job.h"

// Bytes the system can hand out without swapping: MemAvailable of
// /proc/meminfo. The environment variable LUMIVOR_AVAILABLE_MEMORY, when set
// to a decimal byte count with an optional K, M or G suffix (10^3, 10^6,
// 10^9, as the program's messages count), replaces it, so that tests and users
// can set a budget. Empty when neither can be read.
std::optional<std::uint64_t> availableMemoryBytes();

// A byte count with an optional K, M or G suffix ("64M"); empty when it is not one.
std::optional<std::uint64_t> parseByteCount(const std::string& text);

// "6.4 GB" from a gigabyte up, "412 MB" below, as decimal units.
std::string formatBytes(std::uint64_t bytes);

// Memory promised to loads that run side by side. A load reserves its
// estimate before it allocates: it waits while the loads already running
// would not leave room for it, and is refused only when it alone needs more
// than is available, so maps that do not fit together load one after another.
class MemoryReservation {
public:
    enum class Outcome { Reserved, TooLarge, Cancelled };

    MemoryReservation() = default;
    ~MemoryReservation() { release(); }
    MemoryReservation(const MemoryReservation&) = delete;
    MemoryReservation& operator=(const MemoryReservation&) = delete;

    // Reserves bytes, waiting (while not cancelled) for other loads to end;
    // available is set to the figure the decision was made against (0 when unknown).
    Outcome reserve(std::uint64_t bytes, const CancelFlag& cancelled, std::uint64_t& available);
    void release();

private:
    std::uint64_t bytes_ = 0;
};
