// The real program with a broken --model file: refused with its file and cause, and the run goes on.
#include <gtest/gtest.h>

#include "support/gl_test_context.h"
#include "support/gltf_builder.h"
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
    GltfBuilder triangle;
    triangle.addScene({triangle.addNode(triangle.addTriangleMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}))});
    const std::vector<unsigned char> glb = triangle.glb();
    run.writeFile("broken.glb", std::string(glb.begin(), glb.begin() + glb.size() / 2));
    EXPECT_EQ(runWith("broken.glb"), 0) << run.standardError();
    // The file as the program resolved it from the folder it was started in.
    const std::string said = "Could not load the model " + run.file("broken.glb") + ": truncated";
    EXPECT_EQ(countOccurrences(run.standardError(), "lumivor: " + said), 1) << run.standardError();
    EXPECT_EQ(countOccurrences(run.standardError(), "The built-in character stays.\n"), 1);
    EXPECT_EQ(countOccurrences(run.readFile("Log.txt"), said), 1) << run.readFile("Log.txt");
    EXPECT_EQ(countOccurrences(run.standardError(), "shutdownScene after 2 frames"), 1);
}
