// lumivor-lights and lumivor-convert: the JSON form carries what the text form prints, and bad input stops them with status 1.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "support/scratch_directory.h"

namespace {

// Runs a command line, standard error folded into the output; the exit status.
int run(const std::string& command, std::string& output) {
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (size_t n = 0; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(LightTools, JsonCarriesEveryPrintedLightAndThePictureKeepsTheMapSize) {
    ScratchDirectory scratch;
    FreeImage_Initialise(FALSE);
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, 96, 48);
    for (int y = 0; y < 48; ++y) {
        FIRGBF* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < 96; ++x) row[x] = {0.1f + 0.01f * x, 0.2f + 0.02f * y, ((x * 7 + y * 3) % 11) * 0.5f};
    }
    ASSERT_TRUE(FreeImage_Save(FIF_HDR, image, "sky.hdr", 0));
    FreeImage_Unload(image);
    std::string text, json;
    ASSERT_EQ(run(LUMIVOR_LIGHTS_TOOL " sky.hdr", text), 0) << text;
    ASSERT_EQ(run(LUMIVOR_LIGHTS_TOOL " --json sky.hdr --image marked.png", json), 0) << json;
    EXPECT_EQ(json.rfind("{\"lights\": [", 0), 0u);
    std::istringstream lines(text);
    std::string v[8];
    int count = 0;
    for (; lines >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5] >> v[6] >> v[7]; ++count) {
        const std::string entry = "{\"index\": " + v[0] + ", \"direction\": [" + v[1] + ", " + v[2] + ", " + v[3] +
                                  "], \"colour\": [" + v[4] + ", " + v[5] + ", " + v[6] + "], \"solidAngle\": " + v[7] + "}";
        EXPECT_TRUE(v[0] == std::to_string(count) && json.find(entry) != std::string::npos) << entry;
    }
    EXPECT_EQ(count, 64) << text;
    FIBITMAP* picture = FreeImage_Load(FIF_PNG, "marked.png", 0);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(FreeImage_GetWidth(picture) == 96 && FreeImage_GetHeight(picture) == 48) << "the map's own size";
    FreeImage_Unload(picture);
    FreeImage_DeInitialise();
}

TEST(LightTools, BadInputStopsWithStatusOneAndNamesTheFile) {
    ScratchDirectory scratch;
    scratch.writeFile("text.hdr", "this is no image\n");
    for (const char* command : {LUMIVOR_LIGHTS_TOOL " missing.hdr", LUMIVOR_LIGHTS_TOOL " text.hdr",
                                LUMIVOR_CONVERT_TOOL " missing.exr out.hdr", LUMIVOR_CONVERT_TOOL " text.hdr out.hdr"}) {
        std::string output;
        EXPECT_EQ(run(command, output), 1) << command;
        EXPECT_NE(output.find(std::string(command).find("missing") != std::string::npos ? "missing" : "text.hdr"),
                  std::string::npos) << output;
    }
    EXPECT_FALSE(scratch.exists("out.hdr"));
}
