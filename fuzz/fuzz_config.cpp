// Fuzz target of the configuration reader: arbitrary text as "config.cfg".
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/quiet_platform.h"
#include "state/app_config.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    installQuietPlatform();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AppConfig& config = appConfig();
    config.reset();
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    config.load(input);
    // Whatever the file says, the program gets a usable window and factor.
    FUZZ_CHECK(config.getWidth() >= 1);
    FUZZ_CHECK(config.getHeight() >= 1);
    FUZZ_CHECK(config.getSupersampling() == 1 || config.getSupersampling() == 2);
    return 0;
}
