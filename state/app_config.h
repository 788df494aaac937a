// AppConfig: window size and supersampling factor read from "config.cfg".
#pragma once

#include <istream>

class AppConfig {
public:
    static constexpr const char* kFileName = "config.cfg";
    static constexpr int kDefaultWidth = 800;
    static constexpr int kDefaultHeight = 600;
    static constexpr int kDefaultSupersampling = 1;

    // Reads "config.cfg" from the working directory. A missing file or a
    // number that cannot be read leaves the remaining fields as they were.
    void load();
    void load(std::istream& input);

    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    int getSupersampling() const { return supersampling_; }

    // Back to the defaults, as a fresh process starts (for tests).
    void reset();

private:
    friend AppConfig& appConfig();
    AppConfig() = default;
    // A size below one pixel or a factor the pipeline has no resolve for is
    // replaced by its default, with a note on standard error.
    void replaceUnusableValues();

    int width_ = kDefaultWidth;
    int height_ = kDefaultHeight;
    int supersampling_ = kDefaultSupersampling;
};

// The program's one configuration.
AppConfig& appConfig();
