// Mesh buffers and drawing on a real GL context: buffer sizes, client state, texture sets, colours, reloads.
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
#include "platform/native_window.h"
#include "support/gl_test_context.h"
#include "support/recording_platform.h"

namespace {

using Rgba = std::array<int, 4>;

void expectPixel(int x, int y, const Rgba& expected) {
    std::uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(rgba[c], expected[c], 2) << "channel " << c << " at " << x << ", " << y;
    }
}

// The model's x and y after the half scale (file units 0..1) fill the 128 x 128 window.
void useUnitSquareView() {
    glViewport(0, 0, 128, 128);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 0.5, 0.0, 0.5, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
}

// Quads from x0 to x1 in file units, every vertex bound to bones 3 and 7, one
// mesh per entry with materials red (0.5, 0.25) and green (0.8, 0.6).
std::string quadsModel(const std::vector<std::array<float, 3>>& quads) {
    ModelText model;
    model.materials = {"red 1 0 0 0.5 0.25", "green 0 1 0 0.8 0.6"};
    for (const auto& [material, x0, x1] : quads) {
        ModelText::Mesh mesh;
        mesh.material = static_cast<int>(material);
        for (const auto& [x, y] : {std::pair{x0, 0.0f}, {x1, 0.0f}, {x1, 1.0f}, {x0, 1.0f}}) {
            mesh.vertices.push_back(std::to_string(x) + " " + std::to_string(y) + " 0 2 3 upper 0.25 7 lower 0.75");
        }
        mesh.triangles = {"0 1 2", "0 2 3"};
        model.meshes.push_back(mesh);
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
        if (!IsSkipped() && !HasFatalFailure()) {
            loadBufferEntryPoints();
        }
    }
    void TearDown() override {
        model.release();
        GlTest::TearDown();
    }
    bool load(const std::string& text) { return model.loadFromText(text.data(), text.size(), "test model"); }

    SkinnedModel model;
};

TEST_F(CharacterGlTest, BuffersHaveTheTableSizesAndUsageAndHoldTheFirstFrame) {
    ModelText text = singleTriangleModel();
    text.meshes[0].vertices.clear();
    for (int i = 0; i < 10; ++i) {
        text.meshes[0].vertices.push_back(std::to_string(i) + " 2 4 1 0 root 1");
    }
    text.meshes[0].triangles = {"0 1 2", "2 3 4", "4 5 6", "7 8 9"};
    text.bones = {boneEntry(0, "0 0 0", "1 0 0 0 0 0 2")};
    ASSERT_TRUE(load(text.text()));

    const std::vector<GLuint> names = bufferNames(model.meshes[0]);
    const GLint sizes[] = {160, 120, 160, 160, 48};
    const GLint usages[] = {GL_DYNAMIC_DRAW, GL_DYNAMIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW};
    for (int i = 0; i < 5; ++i) {
        const GLenum target = i == 4 ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
        glBindBuffer(target, names[i]);
        GLint size = 0, usage = 0;
        glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
        glGetBufferParameteriv(target, GL_BUFFER_USAGE, &usage);
        EXPECT_EQ(size, sizes[i]) << "buffer " << i;
        EXPECT_EQ(usage, usages[i]) << "buffer " << i;
    }
    // The position buffer holds the skinned first frame: 0.5 * (p + (0, 0, 2)), w = 1.
    std::vector<float> positions(40, -1.0f);
    glBindBuffer(GL_ARRAY_BUFFER, names[0]);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 160, positions.data());
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(std::vector<float>(positions.begin() + i * 4, positions.begin() + i * 4 + 4),
                  (std::vector<float>{0.5f * i, 1.0f, 3.0f, 1.0f}));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CharacterGlTest, ColourFlagsPickTheAlphaAndDrawingLeavesClientStateClean) {
    ASSERT_TRUE(load(quadsModel({{0, 0.0f, 0.5f}, {1, 0.5f, 1.0f}})));
    useUnitSquareView();
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
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE0}) {
        glClientActiveTexture(unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << "unit " << unit - GL_TEXTURE0;
    }

    model.draw(true, false);
    expectPixel(32, 64, {255, 0, 0, 128});
    expectPixel(96, 64, {0, 255, 0, 204});
    model.draw(true, true);
    expectPixel(32, 64, {255, 0, 0, 64});
    expectPixel(96, 64, {0, 255, 0, 153});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CharacterGlTest, TextureSetsCarryWeightsAndBoneNumbers) {
    ASSERT_TRUE(load(quadsModel({{0, 0.0f, 1.0f}})));
    const char* vertexSource =
        "uniform int set;\n"
        "void main() {\n"
        "  gl_Position = ftransform();\n"
        "  gl_FrontColor = set == 1 ? gl_MultiTexCoord1 / 10.0 : gl_MultiTexCoord0;\n"
        "}\n";
    const char* fragmentSource = "void main() { gl_FragColor = gl_Color; }\n";
    const GLuint program = glCreateProgram();
    for (const auto& [type, source] : {std::pair{GL_VERTEX_SHADER, vertexSource}, {GL_FRAGMENT_SHADER, fragmentSource}}) {
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    }
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    ASSERT_EQ(linked, GL_TRUE);
    glUseProgram(program);
    useUnitSquareView();

    // Bones 3 and 7 and two padded slots arrive as (3, 7, 0, 0).
    glUniform1i(glGetUniformLocation(program, "set"), 1);
    model.draw(false, false);
    expectPixel(64, 64, {77, 179, 0, 0});
    glUniform1i(glGetUniformLocation(program, "set"), 0);
    model.draw(false, false);
    expectPixel(64, 64, {64, 191, 0, 0});
    glUseProgram(0);
    glDeleteProgram(program);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CharacterGlTest, MissingEntryPointsAreReportedAndNeverCalled) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    recording.missingEntryPoints = {"glClientActiveTexture"};
    loadBufferEntryPoints();
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_EQ(recording.messages[0].title, "Error");
    EXPECT_EQ(recording.messages[0].text, "glClientActiveTexture not supported!");
    // The quad is still drawn, without the two texture-coordinate sets.
    ASSERT_TRUE(load(quadsModel({{0, 0.0f, 1.0f}})));
    useUnitSquareView();
    model.draw(true, false);
    expectPixel(64, 64, {255, 0, 0, 128});
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Without buffer objects the character gets no buffers and draws nothing.
    recording.missingEntryPoints = {"glBufferSubData"};
    loadBufferEntryPoints();
    ASSERT_EQ(recording.messages.size(), 2u);
    EXPECT_NE(recording.messages[1].text.find("Buffer objects"), std::string::npos);
    ASSERT_TRUE(load(quadsModel({{0, 0.0f, 1.0f}})));
    useUnitSquareView();
    model.update(50.0f);
    model.draw(true, false);
    expectPixel(64, 64, {0, 0, 0, 0});
}

TEST_F(CharacterGlTest, ReloadReleasesItsOwnBuffersButNeverThoseOfANewContext) {
    ASSERT_TRUE(load(quadsModel({{0, 0.0f, 0.5f}, {1, 0.5f, 1.0f}})));
    std::vector<GLuint> first = bufferNames(model.meshes[0]);
    const std::vector<GLuint> secondMesh = bufferNames(model.meshes[1]);
    first.insert(first.end(), secondMesh.begin(), secondMesh.end());
    ASSERT_TRUE(load(quadsModel({{1, 0.0f, 1.0f}})));
    const std::vector<GLuint> replacement = bufferNames(model.meshes[0]);
    for (GLuint name : first) {
        // A name may be handed out again, but only to the new model.
        if (glIsBuffer(name)) {
            EXPECT_NE(std::find(replacement.begin(), replacement.end(), name), replacement.end()) << name << " leaked";
        }
    }

    // The window and context are re-created, and something else in the new
    // context gets the old names before the character loads again.
    NativeWindow* second = createNativeWindow("second context", 64, 64, WindowFrame::Hidden);
    ASSERT_NE(second, nullptr);
    loadBufferEntryPoints();
    std::vector<GLuint> others(64, 0);
    glGenBuffers(static_cast<GLsizei>(others.size()), others.data());
    for (GLuint name : others) {
        glBindBuffer(GL_ARRAY_BUFFER, name);
        glBufferData(GL_ARRAY_BUFFER, 4, nullptr, GL_STATIC_DRAW);
    }
    ASSERT_NE(std::find(others.begin(), others.end(), replacement[0]), others.end());
    EXPECT_FALSE(model.meshes[0].hasBuffers());
    ASSERT_TRUE(load(quadsModel({{1, 0.0f, 1.0f}})));
    for (GLuint name : others) {
        EXPECT_TRUE(glIsBuffer(name)) << "buffer " << name << " of the new context was deleted";
    }
    model.release();
    destroyNativeWindow(second);
}

}  // namespace
