// Animation sampling: key search, the three interpolations, quaternion slerp and the looping clock.
#include "model/animation_sampler.h"

#include <algorithm>
#include <cmath>

namespace {

// Above this cosine two rotations are so close that slerp's sine would lose
// its precision; a normalised linear blend is then exact enough.
constexpr float kSlerpLinearCosine = 0.9995f;
constexpr double kMillisecondsPerSecond = 1000.0;

void normalise4(float* q) {
    const float length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (length > 0.0f) {
        for (int i = 0; i < 4; ++i) q[i] /= length;
    }
}

void slerp(const float* a, const float* b, float u, float* out) {
    float cosine = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    // q and -q are the same rotation: turning b around takes the shorter arc.
    const float sign = cosine < 0.0f ? -1.0f : 1.0f;
    cosine *= sign;
    float wa = 1.0f - u, wb = u;
    if (cosine < kSlerpLinearCosine) {
        const float angle = std::acos(cosine);
        const float sine = std::sin(angle);
        wa = std::sin((1.0f - u) * angle) / sine;
        wb = std::sin(u * angle) / sine;
    }
    for (int i = 0; i < 4; ++i) out[i] = wa * a[i] + sign * wb * b[i];
    normalise4(out);
}

}  // namespace

int channelWidth(AnimationPath path) { return path == AnimationPath::Rotation ? 4 : 3; }

void sampleChannel(const ModelChannel& channel, float seconds, float* out) {
    const int width = channelWidth(channel.path);
    const bool cubic = channel.interpolation == Interpolation::CubicSpline;
    const int stride = cubic ? 3 * width : width;  // a cubic key holds in-tangent, value, out-tangent
    const int valueOffset = cubic ? width : 0;
    const std::vector<float>& times = channel.times;
    const float* values = channel.values.data();
    auto keyValue = [&](std::size_t key) { return values + key * stride + valueOffset; };
    if (times.empty()) return;

    // The first key later than the time; the interval is [next - 1, next).
    const std::size_t next = std::upper_bound(times.begin(), times.end(), seconds) - times.begin();
    if (next == 0 || next == times.size()) {
        std::copy_n(keyValue(next == 0 ? 0 : times.size() - 1), width, out);
        return;
    }
    const std::size_t key = next - 1;
    const float interval = times[next] - times[key];
    const float u = interval > 0.0f ? (seconds - times[key]) / interval : 1.0f;
    switch (channel.interpolation) {
        case Interpolation::Step:
            std::copy_n(keyValue(key), width, out);
            return;
        case Interpolation::Linear:
            if (channel.path == AnimationPath::Rotation) {
                slerp(keyValue(key), keyValue(next), u, out);
            } else {
                for (int i = 0; i < width; ++i) out[i] = keyValue(key)[i] + u * (keyValue(next)[i] - keyValue(key)[i]);
            }
            return;
        case Interpolation::CubicSpline: {
            // Hermite basis; the tangents are per second, so they scale with the interval.
            const float u2 = u * u, u3 = u2 * u;
            const float h00 = 2.0f * u3 - 3.0f * u2 + 1.0f, h10 = u3 - 2.0f * u2 + u;
            const float h01 = -2.0f * u3 + 3.0f * u2, h11 = u3 - u2;
            const float* start = keyValue(key);
            const float* end = keyValue(next);
            const float* outTangent = start + width;
            const float* inTangent = end - width;
            for (int i = 0; i < width; ++i) {
                out[i] = h00 * start[i] + h10 * interval * outTangent[i] + h01 * end[i] + h11 * interval * inTangent[i];
            }
            if (channel.path == AnimationPath::Rotation) normalise4(out);
            return;
        }
    }
}

void applyAnimation(const ModelAnimation& animation, float seconds, std::vector<NodeTransform>& local) {
    for (const ModelChannel& channel : animation.channels) {
        if (channel.node < 0 || static_cast<std::size_t>(channel.node) >= local.size()) continue;
        NodeTransform& target = local[channel.node];
        switch (channel.path) {
            case AnimationPath::Translation:
                sampleChannel(channel, seconds, target.translation.data());
                break;
            case AnimationPath::Rotation:
                sampleChannel(channel, seconds, target.rotation.data());
                break;
            case AnimationPath::Scale:
                sampleChannel(channel, seconds, target.scale.data());
                break;
        }
    }
}

float loopedAnimationTime(std::uint64_t elapsedMilliseconds, float durationSeconds) {
    if (!(durationSeconds > 0.0f)) return 0.0f;
    return static_cast<float>(std::fmod(elapsedMilliseconds / kMillisecondsPerSecond, durationSeconds));
}
