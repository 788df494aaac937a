// Screenshot names: a local time stamp, and a numbered suffix while the name is taken.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>

#include "app/screenshot_key.h"

TEST(ScreenshotName, IsTheLocalTimeStampWithASuffixWhileTheNameExists) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t moment = 1796608984;  // 2026-12-07 02:03:04 UTC
    std::set<std::string> taken;
    auto exists = [&](const std::string& name) { return taken.count(name) != 0; };
    EXPECT_EQ(screenshotFileName(moment, exists), "lumivor-20261207-020304.png");
    taken = {"lumivor-20261207-020304.png", "lumivor-20261207-020304-2.png"};
    EXPECT_EQ(screenshotFileName(moment, exists), "lumivor-20261207-020304-3.png");
    if (previous != nullptr) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
