// The real program with a user's model: a broken --model file is refused with its cause and the run goes on; a
// good one stands in for the character, its triangle counts printed.
#include <gtest/gtest.h>

#include "support/gl_test_context.h"
#include "support/model_builder.h"
#include "support/model_files.h"
#include "support/program_run.h"

namespace {

constexpr int kLimitMilliseconds = 120000;

class ModelRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
        run.writeFile("config.cfg", "160 120 1\n");
        // Without maps (their environments get black lights) each start-up is short.
        for (const char* map : {"uffizi-large.hdr", "tsy_hdrfin.hdr", "studio2.hdr"}) run.removeFile(map);
    }

    int runWith(const std::string& model) {
        EXPECT_TRUE(run.start({"--windowed", "--no-dialogs", "--verbose", "--frames", "2", "--model", model}));
        return run.waitForExit(kLimitMilliseconds);
    }

    ProgramRun run;
};

}  // namespace

TEST_F(ModelRunTest, ABrokenModelIsRefusedWithItsFileAndCauseAndTheCharacterStays) {
    const std::vector<unsigned char> glb = gltfOf(singleMeshModel({boxPrimitive({0, 0, 0}, {1, 1, 1})})).glb();
    run.writeFile("broken.glb", std::string(glb.begin(), glb.begin() + glb.size() / 2));
    EXPECT_EQ(runWith("broken.glb"), 0) << run.standardError();
    const std::string said = "Could not load the model broken.glb: ";
    EXPECT_EQ(countOccurrences(run.standardError(), "lumivor: " + said), 1) << run.standardError();
    EXPECT_EQ(countOccurrences(run.standardError(), "The built-in character stays.\n"), 1);
    EXPECT_EQ(countOccurrences(run.readFile("Log.txt"), said), 1) << run.readFile("Log.txt");
    EXPECT_EQ(countOccurrences(run.standardError(), "shutdownScene after 2 frames"), 1);
}

TEST_F(ModelRunTest, AHundredThousandTriangleModelIsDrawnWholeAndCastsItsShadowFromAtMostEightThousand) {
    writeGlb(singleMeshModel({gridPrimitive(250, 200, 1.0f, 1.0f)}), run.file("detailed.glb"));
    EXPECT_EQ(runWith("detailed.glb"), 0) << run.standardError();
    const std::string said = run.standardError();
    const std::size_t at = said.find("lumivor: model detailed.glb: 100000 triangles drawn, ");
    ASSERT_NE(at, std::string::npos) << said;
    const int shadowTriangles = std::atoi(said.c_str() + said.find(", ", at) + 2);
    EXPECT_LE(shadowTriangles, 8000);
    EXPECT_GT(shadowTriangles, 4000);
    EXPECT_EQ(countOccurrences(said, "shutdownScene after 2 frames"), 1);
}
