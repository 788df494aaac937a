// AppConfig: three whitespace-separated integers, width, height and supersampling factor.
#include "state/app_config.h"

#include <cstdio>
#include <fstream>

AppConfig& appConfig() {
    static AppConfig* const config = new AppConfig();
    return *config;
}

void AppConfig::load() {
    std::ifstream file(kFileName);
    if (!file) {
        return;  // not reported: the defaults stay
    }
    load(file);
}

void AppConfig::load(std::istream& input) {
    // Formatted extraction stores a field only when it succeeds; once one
    // fails, the stream's fail state makes the rest fail too.
    int value = 0;
    if (input >> value) {
        width_ = value;
        if (input >> value) {
            height_ = value;
            if (input >> value) {
                supersampling_ = value;
            }
        }
    }
    replaceUnusableValues();
}

void AppConfig::reset() {
    width_ = kDefaultWidth;
    height_ = kDefaultHeight;
    supersampling_ = kDefaultSupersampling;
}

void AppConfig::replaceUnusableValues() {
    if (width_ < 1) {
        std::fprintf(stderr, "config.cfg: width %d is below 1 pixel; using %d\n", width_, kDefaultWidth);
        width_ = kDefaultWidth;
    }
    if (height_ < 1) {
        std::fprintf(stderr, "config.cfg: height %d is below 1 pixel; using %d\n", height_, kDefaultHeight);
        height_ = kDefaultHeight;
    }
    if (supersampling_ != 1 && supersampling_ != 2) {
        std::fprintf(stderr, "config.cfg: supersampling factor %d is neither 1 nor 2; using 1\n", supersampling_);
        supersampling_ = 1;
    }
}
