// Map values: NaN, infinities and negative radiance replaced at load, so that no later sum or filter spreads them.
#include "environment/map_values.h"

#include <cmath>

ReplacedValues replaceUnusableValues(float* values, std::size_t count) {
    ReplacedValues replaced;
    for (std::size_t i = 0; i < count; ++i) {
        const float value = values[i];
        if (std::isnan(value)) {
            values[i] = 0.0f;
            ++replaced.notANumber;
        } else if (value < 0.0f) {
            values[i] = 0.0f;
            ++replaced.negative;
        } else if (std::isinf(value)) {
            values[i] = kLargestHalfFloat;
            ++replaced.infinite;
        }
    }
    return replaced;
}

std::string describeReplacedValues(const ReplacedValues& replaced) {
    const std::size_t total = replaced.total();
    std::string text = std::to_string(total) + (total == 1 ? " value" : " values") + " replaced:";
    const char* separator = " ";
    const auto add = [&](std::size_t count, const std::string& kind) {
        if (count > 0) {
            text += separator + std::to_string(count) + kind;
            separator = ", ";
        }
    };
    add(replaced.notANumber, " NaN by 0");
    add(replaced.infinite, " infinite by " + std::to_string(static_cast<int>(kLargestHalfFloat)));
    add(replaced.negative, " negative by 0");
    return text;
}
