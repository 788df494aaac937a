// Environment sources: the table of map files, built-in names until the user replaces one, and their kept pixels.
#include "environment/environment_sources.h"

#include <cctype>

namespace {

struct Sources {
    std::string files[kEnvironmentCount];
    bool chosen[kEnvironmentCount] = {};
    bool failed[kEnvironmentCount] = {};
    std::shared_ptr<const float> kept[kEnvironmentCount];
    Sources() {
        for (int e = 0; e < kEnvironmentCount; ++e) {
            files[e] = kEnvironmentFiles[e];
        }
    }
};

Sources& sources() {
    static Sources* const table = new Sources();
    return *table;
}

}  // namespace

const char* const kEnvironmentFiles[kEnvironmentCount] = {"uffizi-large.hdr", "tsy_hdrfin.hdr", "studio2.hdr"};

void setEnvironmentFile(int environment, const std::string& path) {
    if (environment < 0 || environment >= kEnvironmentCount) {
        return;
    }
    sources().chosen[environment] = !path.empty();
    sources().failed[environment] = false;
    sources().kept[environment].reset();
    sources().files[environment] = path.empty() ? std::string(kEnvironmentFiles[environment]) : path;
}

const std::string& environmentFile(int environment) { return sources().files[environment]; }

bool environmentFileChosen(int environment) { return sources().chosen[environment]; }

void setEnvironmentFileFailed(int environment, bool failed) { sources().failed[environment] = failed; }

bool environmentFileFailed(int environment) { return sources().failed[environment]; }

void keepEnvironmentPixels(int environment, std::shared_ptr<const float> pixels) {
    if (environment >= 0 && environment < kEnvironmentCount) {
        sources().kept[environment] = std::move(pixels);
    }
}

std::shared_ptr<const float> keptEnvironmentPixels(int environment) { return sources().kept[environment]; }

std::string environmentFileLabel(int environment) { return fileBaseName(environmentFile(environment)); }

std::string fileBaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool hasFileExtension(const std::string& path, const char* extension) {
    const std::size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') return false;
    std::string own = path.substr(dot + 1);
    for (char& c : own) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return own == extension;
}

bool hasEnvironmentMapExtension(const std::string& path) {
    return hasFileExtension(path, "hdr") || hasFileExtension(path, "exr");
}
