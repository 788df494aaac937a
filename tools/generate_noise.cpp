// Noise generator: writes the deterministic 256 x 256 white-noise bitmap the final post-process pass samples.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/bitmap_writer.h"

namespace {

constexpr int kNoiseSize = 256;
constexpr std::uint64_t kSeed = 0x4C756D69766F72ULL;
constexpr std::uint64_t kStream = 54;

// PCG32 (XSH RR): every byte uniform and independent of its neighbours, so
// the texture shows no pattern and no visible seam when it repeats.
class Pcg32 {
public:
    Pcg32(std::uint64_t seed, std::uint64_t stream) : increment_((stream << 1) | 1) {
        next();
        state_ += seed;
        next();
    }

    std::uint32_t next() {
        const std::uint64_t old = state_;
        state_ = old * kMultiplier + increment_;
        const std::uint32_t xorShifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
        const std::uint32_t rotation = static_cast<std::uint32_t>(old >> 59);
        return (xorShifted >> rotation) | (xorShifted << ((32 - rotation) & 31));
    }

private:
    static constexpr std::uint64_t kMultiplier = 6364136223846793005ULL;
    std::uint64_t state_ = 0;
    std::uint64_t increment_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    Pcg32 random(kSeed, kStream);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kNoiseSize) * kNoiseSize * 3);
    for (unsigned char& channel : rgb) {
        channel = static_cast<unsigned char>(random.next() >> 24);
    }
    if (!writeBitmap24(argv[1], kNoiseSize, kNoiseSize, rgb)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
