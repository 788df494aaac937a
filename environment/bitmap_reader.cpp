// Bitmap reader: maps the file read-only, decodes it and reports each failure in its own words.
#include "environment/bitmap_reader.h"

#include <cstdio>

#include "environment/dib_decoder.h"
#include "platform/file_mapping.h"
#include "platform/platform_services.h"

namespace {

constexpr std::size_t kMessageBufferSize = 260;  // a longer open-failure text is cut to fit
constexpr const char* kMessageTitle = "Error";

void showError(const std::string& text) { platform().showMessage(kMessageTitle, text, MessageIcon::Error); }

}  // namespace

std::unique_ptr<RGBImage> loadDIBImage(const char* fileName) {
    FileMapping file;
    if (!file.open(fileName)) {
        char text[kMessageBufferSize];
        std::snprintf(text, sizeof text, "Failed to open DIB file %s.\n", fileName);
        showError(text);
        return nullptr;
    }
    DibDecodeResult result = decodeDIB(file.data(), file.size());
    switch (result.error) {
        case DibError::None:
            return std::move(result.image);
        case DibError::UnknownFormat:
            showError("Unknown DIB file format.");
            break;
        case DibError::OutOfMemory:
            showError("Out of memory.");
            break;
        case DibError::ConversionError:
            showError("Image file conversion error.");
            break;
    }
    return nullptr;
}
