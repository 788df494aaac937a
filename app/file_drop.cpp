// Dropped files: the choice of drop by extension, and the problem report on standard error and in the overlay.
#include "app/file_drop.h"

#include <cctype>
#include <cstdio>

#include "app/environment_drop.h"
#include "app/model_loading.h"
#include "environment/environment_sources.h"
#include "frame/overlay_status.h"
#include "platform/platform_services.h"

namespace {

constexpr double kSecondsPerTick = 0.001;

// The name's extension in lower case, empty when it has none.
std::string lowerCaseExtension(const std::string& path) {
    const std::string name = fileBaseName(path);
    const std::size_t dot = name.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

void dropFile(const std::string& path) {
    const std::string extension = lowerCaseExtension(path);
    if (extension == "hdr" || extension == "exr") {
        dropEnvironmentFile(path);
    } else if (extension == "gltf" || extension == "glb") {
        dropModelFile(path);
    } else {
        const std::string text =
            "Not used: " + fileBaseName(path) + " (drop an .hdr or .exr map, or a .gltf or .glb model)";
        reportDropProblem(text, text);
    }
}

std::string causeHeadline(const std::string& cause) {
    std::size_t end = cause.size();
    for (const char* mark : {": ", " (", ", which"}) {
        const std::size_t at = cause.find(mark);
        end = at != std::string::npos && at < end ? at : end;
    }
    return cause.substr(0, end);
}

void sayOnStandardError(const std::string& text) {
    std::fprintf(stderr, "lumivor: %s\n", text.c_str());
    std::fflush(stderr);
}

std::string secondsSince(std::uint32_t ticks) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", (platform().ticks() - ticks) * kSecondsPerTick);
    return seconds;
}

void reportDropProblem(const std::string& text, const std::string& overlayText) {
    sayOnStandardError(text);
    showOverlayStatus(overlayText, kStatusMilliseconds);
}
