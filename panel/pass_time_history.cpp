// Pass time history: a ring of time slots, each averaging the frames that ended in it.
#include "panel/pass_time_history.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kSmallestCeiling = 1.0f;
constexpr float kCeilingSteps[] = {1.0f, 2.0f, 5.0f};
constexpr float kDecade = 10.0f;

}  // namespace

float PassTimeSlot::meanTotal() const {
    float total = 0.0f;
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        total += mean(pass);
    }
    return total;
}

void PassTimeHistory::add(std::uint32_t now, const float (&passTimes)[kFramePassCount]) {
    const std::uint32_t index = now / kSlotMilliseconds;
    // Unsigned differences: a clock that wrapped or went back drops everything held.
    while (count_ > 0 && index - slot(0).index >= static_cast<std::uint32_t>(kHistorySlots)) {
        first_ = (first_ + 1) % kHistorySlots;
        --count_;
    }
    if (count_ == 0 || latest().index != index) {
        PassTimeSlot& fresh = slots_[(first_ + count_) % kHistorySlots];
        fresh = PassTimeSlot();
        fresh.index = index;
        ++count_;
    }
    PassTimeSlot& current = slots_[(first_ + count_ - 1) % kHistorySlots];
    ++current.frames;
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        current.sums[pass] += passTimes[pass];
    }
}

float PassTimeHistory::largestTotal() const {
    float largest = 0.0f;
    for (int i = 0; i < count_; ++i) {
        largest = std::max(largest, slot(i).meanTotal());
    }
    return largest;
}

float plotCeiling(float largest) {
    float decade = kSmallestCeiling;
    for (;;) {
        for (float step : kCeilingSteps) {
            if (largest <= step * decade) {
                return step * decade;
            }
        }
        if (!std::isfinite(decade * kDecade)) {
            return decade;
        }
        decade *= kDecade;
    }
}
