// Map headers: the Radiance and OpenEXR header checks behind one probe that may ask for more of the file.
#include "environment/map_header.h"

#include "environment/exr_header.h"
#include "environment/hdr_header.h"

namespace {

// Enough bytes to tell the formats apart: the OpenEXR magic number.
constexpr std::size_t kFormatBytes = 4;

}  // namespace

HeaderProbe probeMapHeader(const unsigned char* bytes, std::size_t size, std::size_t fileSize, std::uint64_t maxPixels,
                           MapPicture& picture, std::string& cause) {
    const bool fileGoesOn = size < fileSize;
    if (size < kFormatBytes && fileGoesOn) {
        return HeaderProbe::NeedMoreBytes;
    }
    if (isOpenExr(bytes, size)) {
        const ExrHeaderCheck check = checkExrHeader(bytes, size, maxPixels);
        if (check.truncated && fileGoesOn) {
            return HeaderProbe::NeedMoreBytes;
        }
        if (!check.problem.empty()) {
            cause = check.problem;
            return HeaderProbe::Refused;
        }
        picture.format = MapFormat::OpenExr;
        picture.width = check.width;
        picture.height = check.height;
        picture.rgbOnly = check.rgbOnly;
        return HeaderProbe::Known;
    }
    // The Radiance check reads at most its header limit and one byte more,
    // which tells a header too long from one that goes on in the next bytes.
    const HdrHeaderCheck check = checkHdrHeader(bytes, size, maxPixels);
    if (check.status == HdrHeaderStatus::Truncated && fileGoesOn) {
        return HeaderProbe::NeedMoreBytes;
    }
    if (check.status != HdrHeaderStatus::Acceptable) {
        cause = check.status == HdrHeaderStatus::NotRadiance ? "not a Radiance HDR or OpenEXR file" : check.cause;
        return HeaderProbe::Refused;
    }
    picture.format = MapFormat::Radiance;
    picture.width = check.width;
    picture.height = check.height;
    picture.rgbOnly = true;
    return HeaderProbe::Known;
}
