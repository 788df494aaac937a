// Pass time history: the per-pass frame times of the last seconds in short time slots, for the settings panel's plot.
#pragma once

#include <cstdint>

#include "frame/pass_timer.h"

// 100 slots of 50 ms: the plot spans the last five seconds.
constexpr int kHistorySlots = 100;
constexpr std::uint32_t kSlotMilliseconds = 50;

struct PassTimeSlot {
    std::uint32_t index = 0;  // the slot's start time divided by kSlotMilliseconds
    int frames = 0;
    float sums[kFramePassCount] = {};  // milliseconds of the slot's frames, per pass

    float mean(int pass) const { return frames > 0 ? sums[pass] / static_cast<float>(frames) : 0.0f; }
    float meanTotal() const;
};

class PassTimeHistory {
public:
    // Adds one frame's times, measured at time now (milliseconds of the tick
    // count): frames within one slot are averaged, and slots more than
    // kHistorySlots before now's slot are dropped.
    void add(std::uint32_t now, const float (&passTimes)[kFramePassCount]);
    void clear() { count_ = 0; }

    // Slots with frames, oldest first (index 0) up to the latest.
    int size() const { return count_; }
    const PassTimeSlot& slot(int i) const { return slots_[(first_ + i) % kHistorySlots]; }
    const PassTimeSlot& latest() const { return slot(count_ - 1); }
    // The largest mean total of the slots held; 0 when empty.
    float largestTotal() const;

private:
    PassTimeSlot slots_[kHistorySlots];
    int first_ = 0;
    int count_ = 0;
};

// The plot's top: the smallest 1, 2 or 5 times a power of ten (1 ms at
// least) that is not below the largest value.
float plotCeiling(float largest);
