// Map values: the NaN, infinite and negative radiance an OpenEXR map may hold, replaced by values the renderer can use.
#pragma once

#include <cstddef>
#include <string>

// The largest finite half float: what an infinite radiance becomes, the
// brightest value the renderer's half-float targets can hold.
constexpr float kLargestHalfFloat = 65504.0f;

// How many values of each kind were replaced.
struct ReplacedValues {
    std::size_t notANumber = 0;  // NaN, read as 0
    std::size_t infinite = 0;    // +infinity, read as kLargestHalfFloat
    std::size_t negative = 0;    // below 0, -infinity included, read as 0
    std::size_t total() const { return notANumber + infinite + negative; }
};

// Replaces every NaN and negative value of values[0 .. count) by 0 and every
// +infinity by kLargestHalfFloat; finite values of 0 and more stay as they are.
ReplacedValues replaceUnusableValues(float* values, std::size_t count);

// "3 values replaced: 1 NaN by 0, 1 infinite by 65504, 1 negative by 0",
// naming only the kinds found.
std::string describeReplacedValues(const ReplacedValues& replaced);
