// Fuzz target of the bitmap reader: decodes arbitrary bytes as a DIB held in memory.
#include <cstddef>
#include <cstdint>

#include "environment/dib_decoder.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/quiet_platform.h"

namespace {

// The reader's own limit lets a few bytes allocate a gigabyte, which under the
// sanitizers takes seconds; the refusal path is the same at a megabyte.
constexpr std::uint64_t kFuzzMaxImageBytes = std::uint64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    installQuietPlatform();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const DibDecodeResult result = decodeDIB(data, size, kFuzzMaxImageBytes);
    if (result.error != DibError::None) {
        FUZZ_CHECK(result.image == nullptr);
        return 0;
    }
    FUZZ_CHECK(result.image != nullptr);
    const RGBImage& image = *result.image;
    FUZZ_CHECK(image.width >= 0 && image.height >= 0);
    FUZZ_CHECK(image.data.size() == static_cast<std::size_t>(image.width) * image.height * 3);
    // Every byte is read once so that an uninitialised or stale buffer shows.
    unsigned sum = 0;
    for (unsigned char byte : image.data) {
        sum += byte;
    }
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
