// Map loading: chunked reading with the memory check at the header, decoding, rescaling and extraction as steps.
#include "environment/map_loading.h"

#include <algorithm>
#include <new>

#include "environment/environment_map.h"
#include "environment/ground_light.h"
#include "environment/light_extractor.h"
#include "environment/map_header.h"
#include "environment/map_memory.h"
#include "platform/available_memory.h"
#include "platform/file_reader.h"

namespace {

// A chunk is the step between two looks at the cancel flag: a few
// milliseconds of reading from a local disk.
constexpr std::size_t kReadChunkBytes = 8u << 20;
// FreeImage pads every row to a multiple of four bytes.
constexpr std::uint64_t kFreeImageRowAlignment = 4;

LoadedMap failed(const std::string& cause) {
    LoadedMap map;
    map.cause = cause;
    return map;
}

// The rescaled image's own rows serve as the packed pixels: 2048 RGB floats
// make a row of 24576 bytes, which FreeImage stores without padding. Copying
// them would cost another 48 MB of freshly cleared memory per map.
MapPixels pixelsOf(FIBITMAP* rescaled) {
    static_assert(kEnvironmentMapSize * kRgbFloatBytes % kFreeImageRowAlignment == 0, "rows without padding");
    const auto* bits = reinterpret_cast<const float*>(FreeImage_GetBits(rescaled));
    return MapPixels(bits, [rescaled](const float*) { FreeImage_Unload(rescaled); });
}

LoadedMap stopped() {
    LoadedMap map;
    map.cancelled = true;
    return map;
}

}  // namespace

LoadedMap loadMap(const std::string& path, const CancelFlag& cancelled) {
    FileReader file;
    if (!file.open(path.c_str())) {
        return failed(file.failure());
    }
    const std::size_t fileSize = file.size();
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[fileSize]);
    if (bytes == nullptr) {
        return failed("not enough memory to read it (" + formatBytes(fileSize) + ")");
    }
    // The header comes with the first chunk (or the first few): the memory
    // check runs before the rest of the file is read.
    MapPicture picture;
    bool headerRead = false;
    MemoryReservation reservation;
    for (std::size_t done = 0; done < fileSize;) {
        if (cancelled) {
            return stopped();
        }
        const std::size_t chunk = std::min(kReadChunkBytes, fileSize - done);
        if (!file.read(bytes.get() + done, chunk)) {
            return failed(file.failure());
        }
        done += chunk;
        if (headerRead) {
            continue;
        }
        std::string cause;
        const HeaderProbe probe = probeMapHeader(bytes.get(), done, fileSize, kMaxHdrPixels, picture, cause);
        if (probe == HeaderProbe::Refused) {
            return failed(cause);
        }
        if (probe == HeaderProbe::Known) {
            headerRead = true;
            const std::uint64_t needed = mapLoadingBytes(picture, fileSize, kEnvironmentMapSize, kEnvironmentMapSize);
            std::uint64_t available = 0;
            const MemoryReservation::Outcome outcome = reservation.reserve(needed, cancelled, available);
            if (outcome == MemoryReservation::Outcome::Cancelled) {
                return stopped();
            }
            if (outcome == MemoryReservation::Outcome::TooLarge) {
                return failed("needs " + formatBytes(needed) + " of memory, " + formatBytes(available) + " available");
            }
        }
    }
    file.close();

    if (cancelled) {
        return stopped();
    }
    std::string cause;
    ReplacedValues replaced;
    FIBITMAP* image = decodeEnvironmentImage(bytes.get(), fileSize, picture.format, &cancelled, &cause, &replaced);
    bytes.reset();
    if (cancelled) {
        if (image != nullptr) {
            FreeImage_Unload(image);
        }
        return stopped();
    }
    reportReplacedValues(path, replaced);
    FIBITMAP* rescaled = rescaleEnvironmentImage(image, kEnvironmentMapSize, kEnvironmentMapSize, &cause);
    if (rescaled == nullptr) {
        return failed(cause);
    }
    reservation.release();
    if (cancelled) {
        FreeImage_Unload(rescaled);
        return stopped();
    }
    return extractMap(pixelsOf(rescaled));
}

void extractMapLights(const float* pixels, int width, int height, LoadedMap& map) {
    LightExtractor extractor(pixels, width, height);
    extractor.split(kLightTreeDepth);
    extractor.collectLights(map.directions, map.colours, {map.solidAngles, map.irradiances, map.energies});
    map.cut = lightCutOf(extractor.leaves(), width, height);
    map.groundLight = projectGroundLight(pixels, width, height);
}

LoadedMap extractMap(MapPixels pixels) {
    LoadedMap map;
    extractMapLights(pixels.get(), kEnvironmentMapSize, kEnvironmentMapSize, map);
    map.pixels = std::move(pixels);
    return map;
}
