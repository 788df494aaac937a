// Mesh buffers and drawing on a real GL context: sizes and contents, colours, client state, entry points, reloads.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "character/mesh_buffers.h"
#include "character/model_text.h"
#include "character/skinned_model.h"
#include "support/gl_test_context.h"
#include "support/recording_platform.h"

namespace {

// The pixel's RGBA, each channel within 2 of the expected.
void expectPixel(int x, int y, const std::array<int, 4>& expected) {
    std::uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(rgba[c], expected[c], 2) << "channel " << c << " at " << x << ", " << y;
}

// Quads from x0 to x1 in file units (x and y 0..1 fill the window after the half scale), every vertex bound to
// bones 3 and 7, one mesh per {material, x0, x1} with materials red (0.5, 0.25) and green (0.8, 0.6).
std::string quadsModel(const std::vector<std::array<float, 3>>& quads) {
    ModelText model;
    model.materials = {"red 1 0 0 0.5 0.25", "green 0 1 0 0.8 0.6"};
    for (const auto& [material, x0, x1] : quads) {
        model.meshes.push_back({static_cast<int>(material), {}, {}, {"0 1 2", "0 2 3"}, "", ""});
        for (const auto& [x, y] : {std::pair{x0, 0.0f}, {x1, 0.0f}, {x1, 1.0f}, {x0, 1.0f}}) {
            model.meshes.back().vertices.push_back(std::to_string(x) + " " + std::to_string(y) +
                                                   " 0 2 3 a 0.25 7 b 0.75");
        }
    }
    model.header = "85 8 8";
    model.bones.assign(8, boneEntry(0));
    return model.text();
}

std::vector<GLuint> bufferNames(const SkinnedMesh& mesh) {
    return {mesh.positionBuffer, mesh.normalBuffer, mesh.weightBuffer, mesh.boneIndexBuffer, mesh.indexBuffer};
}

class CharacterGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        loadBufferEntryPoints();
        glMatrixMode(GL_PROJECTION);
        glOrtho(0.0, 0.5, 0.0, 0.5, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override {
        model.release();
        GlTest::TearDown();
    }
    bool load(const std::string& text) { return model.loadFromText(text.data(), text.size(), "test model"); }

    SkinnedModel model;
};

TEST_F(CharacterGlTest, BuffersHoldTheFirstFrameDrawingPicksTheAlphaAndLeavesClientStateCleanAndReloadReleases) {
    ASSERT_TRUE(load(quadsModel({{0, 0.0f, 0.5f}, {1, 0.5f, 1.0f}})));
    // Per mesh of 4 vertices and 2 triangles: positions, normals, weights, bone numbers, indices.
    const std::vector<GLuint> names = bufferNames(model.meshes[1]);
    const GLint sizes[] = {64, 48, 64, 64, 24};
    for (int i = 0; i < 5; ++i) {
        const GLenum target = i == 4 ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
        GLint size = 0, usage = 0;
        glBindBuffer(target, names[i]);
        glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
        glGetBufferParameteriv(target, GL_BUFFER_USAGE, &usage);
        EXPECT_EQ(size, sizes[i]) << "buffer " << i;
        EXPECT_EQ(usage, i < 2 ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW) << "buffer " << i;
    }
    std::vector<float> positions(16, -1.0f);  // the skinned first frame at half scale, w = 1
    glBindBuffer(GL_ARRAY_BUFFER, names[0]);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 64, positions.data());
    EXPECT_EQ(positions, (std::vector<float>{0.25f, 0, 0, 1, 0.5f, 0, 0, 1, 0.5f, 0.5f, 0, 1, 0.25f, 0.5f, 0, 1}));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glColor4f(0.2f, 0.4f, 0.6f, 1.0f);
    glClientActiveTexture(GL_TEXTURE1);
    model.draw(false, false);
    expectPixel(32, 64, {51, 102, 153, 255});
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{1, 1, 1, 0}));
    GLint active = 0;
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    glClientActiveTexture(GL_TEXTURE1);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    model.draw(true, false);
    expectPixel(32, 64, {255, 0, 0, 128});
    expectPixel(96, 64, {0, 255, 0, 204});
    model.draw(true, true);
    expectPixel(32, 64, {255, 0, 0, 64});
    expectPixel(96, 64, {0, 255, 0, 153});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // A reload releases the old buffers: a name may be handed out again, but only to the new model.
    std::vector<GLuint> old = bufferNames(model.meshes[0]), replacement;
    old.insert(old.end(), names.begin(), names.end());
    ASSERT_TRUE(load(quadsModel({{1, 0.0f, 1.0f}})));
    replacement = bufferNames(model.meshes[0]);
    for (GLuint name : old) {
        if (glIsBuffer(name)) {
            EXPECT_EQ(std::count(replacement.begin(), replacement.end(), name), 1) << name;
        }
    }
}

// Without buffer objects the character gets no buffers and draws nothing; no missing entry point is called.
TEST_F(CharacterGlTest, MissingBufferEntryPointsAreReportedAndNeverCalled) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    recording.missingEntryPoints = {"glBufferSubData"};
    loadBufferEntryPoints();
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_NE(recording.messages[0].text.find("Buffer objects"), std::string::npos);
    ASSERT_TRUE(load(quadsModel({{0, 0.0f, 1.0f}})));
    glClear(GL_COLOR_BUFFER_BIT);
    model.update(50.0f);
    model.draw(true, false);
    expectPixel(64, 64, {0, 0, 0, 0});
}

}  // namespace
