// Mesh buffers and drawing on a real GL context: buffer sizes, client state, texture sets, colours, the generated character.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/screenshot.h"
#include "character/buffer_entry_points.h"
#include "character/model_text.h"
#include "character/skinned_model.h"
#include "platform/native_window.h"
#include "support/gl_test_context.h"
#include "support/recording_platform.h"

namespace {

struct Pixel {
    int r, g, b, a;
};

Pixel readPixel(int x, int y) {
    std::uint8_t rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

void expectPixelNear(const Pixel& actual, const Pixel& expected) {
    constexpr int kTolerance = 2;
    EXPECT_NEAR(actual.r, expected.r, kTolerance);
    EXPECT_NEAR(actual.g, expected.g, kTolerance);
    EXPECT_NEAR(actual.b, expected.b, kTolerance);
    EXPECT_NEAR(actual.a, expected.a, kTolerance);
}

// The model's x and y (after the half scale) map straight onto the window.
void useUnitSquareView() {
    glViewport(0, 0, 128, 128);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 0.5, 0.0, 0.5, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A quad covering x from x0 to x1 (file units, 0..1 fills the view) bound to bones 3 and 7.
ModelText::Mesh quadMesh(int material, float x0, float x1) {
    ModelText::Mesh mesh;
    mesh.material = material;
    const std::string influences = " 2 3 upper 0.25 7 lower 0.75";
    for (const auto& corner : {std::make_pair(x0, 0.0f), std::make_pair(x1, 0.0f), std::make_pair(x1, 1.0f),
                               std::make_pair(x0, 1.0f)}) {
        mesh.vertices.push_back(std::to_string(corner.first) + " " + std::to_string(corner.second) + " 0" +
                                influences);
    }
    mesh.triangles = {"0 1 2", "0 2 3"};
    return mesh;
}

// Eight bones so that bones 3 and 7 exist; every keyframe is the identity.
ModelText quadsModel(const std::vector<ModelText::Mesh>& meshes) {
    ModelText model;
    model.materials = {"red 1 0 0 0.5 0.25", "green 0 1 0 0.8 0.6"};
    model.meshes = meshes;
    model.header = "85 8 8";
    model.bones.assign(8, boneEntry(0));
    return model;
}

bool loadText(SkinnedModel& model, const std::string& text) {
    return model.loadFromText(text.data(), text.size(), "test model");
}

GLuint compileProgram(const char* vertexSource, const char* fragmentSource) {
    auto compile = [](GLenum type, const char* source) {
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        EXPECT_EQ(ok, GL_TRUE);
        return shader;
    };
    const GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, vertexSource));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragmentSource));
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    return program;
}

class CharacterGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        loadBufferEntryPoints();
    }
    void TearDown() override {
        model.release();
        GlTest::TearDown();
    }

    SkinnedModel model;
};

TEST_F(CharacterGlTest, BuffersHaveTheTableSizesAndUsageAndHoldTheFirstFrame) {
    ModelText text = singleTriangleModel();
    ModelText::Mesh& mesh = text.meshes[0];
    mesh.vertices.clear();
    for (int i = 0; i < 10; ++i) {
        mesh.vertices.push_back(std::to_string(i) + " 2 4 1 0 root 1");
    }
    mesh.triangles = {"0 1 2", "2 3 4", "4 5 6", "7 8 9"};
    // Every keyframe moves the bone by (0, 0, 2).
    text.bones = {boneEntry(0, "0 0 0", "1 0 0 0 0 0 2")};
    ASSERT_TRUE(loadText(model, text.text()));
    const SkinnedMesh& loaded = model.meshes[0];

    struct Expected {
        GLuint name;
        GLenum target;
        GLint size;
        GLint usage;
    };
    const Expected expected[] = {
        {loaded.positionBuffer, GL_ARRAY_BUFFER, 160, GL_DYNAMIC_DRAW},
        {loaded.normalBuffer, GL_ARRAY_BUFFER, 120, GL_DYNAMIC_DRAW},
        {loaded.weightBuffer, GL_ARRAY_BUFFER, 160, GL_STATIC_DRAW},
        {loaded.boneIndexBuffer, GL_ARRAY_BUFFER, 160, GL_STATIC_DRAW},
        {loaded.indexBuffer, GL_ELEMENT_ARRAY_BUFFER, 48, GL_STATIC_DRAW},
    };
    for (const Expected& buffer : expected) {
        ASSERT_NE(buffer.name, 0u);
        glBindBuffer(buffer.target, buffer.name);
        GLint size = 0;
        GLint usage = 0;
        glGetBufferParameteriv(buffer.target, GL_BUFFER_SIZE, &size);
        glGetBufferParameteriv(buffer.target, GL_BUFFER_USAGE, &usage);
        EXPECT_EQ(size, buffer.size);
        EXPECT_EQ(usage, buffer.usage);
    }
    // The position buffer holds the skinned first frame, not zeros.
    std::vector<float> positions(40, -1.0f);
    glBindBuffer(GL_ARRAY_BUFFER, loaded.positionBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, 160, positions.data());
    for (int i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(positions[i * 4 + 0], 0.5f * i);
        EXPECT_FLOAT_EQ(positions[i * 4 + 1], 1.0f);
        EXPECT_FLOAT_EQ(positions[i * 4 + 2], 3.0f);
        EXPECT_FLOAT_EQ(positions[i * 4 + 3], 1.0f);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CharacterGlTest, DrawKeepsTheCallersColourAndLeavesClientStateClean) {
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(0, 0.0f, 1.0f)}).text()));
    useUnitSquareView();
    glColor4f(0.2f, 0.4f, 0.6f, 1.0f);
    model.draw(false, false);
    expectPixelNear(readPixel(64, 64), {51, 102, 153, 255});

    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 1.0f);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        glClientActiveTexture(unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << "unit " << unit - GL_TEXTURE0;
    }
    glClientActiveTexture(GL_TEXTURE1);
    model.draw(true, false);
    GLint active = 0;
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CharacterGlTest, TextureSetsCarryWeightsAndBoneNumbers) {
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(0, 0.0f, 1.0f)}).text()));
    const char* vertexSource =
        "uniform int set;\n"
        "void main() {\n"
        "  gl_Position = ftransform();\n"
        "  gl_FrontColor = set == 1 ? gl_MultiTexCoord1 / 10.0 : gl_MultiTexCoord0;\n"
        "}\n";
    const char* fragmentSource = "void main() { gl_FragColor = gl_Color; }\n";
    const GLuint program = compileProgram(vertexSource, fragmentSource);
    glUseProgram(program);
    useUnitSquareView();

    glUniform1i(glGetUniformLocation(program, "set"), 1);
    model.draw(false, false);
    // Bones 3 and 7 and two padded slots: (3, 7, 0, 0) / 10.
    expectPixelNear(readPixel(64, 64), {77, 179, 0, 0});

    glUniform1i(glGetUniformLocation(program, "set"), 0);
    model.draw(false, false);
    expectPixelNear(readPixel(64, 64), {64, 191, 0, 0});
    glUseProgram(0);
    glDeleteProgram(program);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CharacterGlTest, MaterialColourWithEitherAlphaAndTheSecondWinsWithBothFlags) {
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(0, 0.0f, 0.5f), quadMesh(1, 0.5f, 1.0f)}).text()));
    useUnitSquareView();
    model.draw(true, false);
    expectPixelNear(readPixel(32, 64), {255, 0, 0, 128});
    expectPixelNear(readPixel(96, 64), {0, 255, 0, 204});
    model.draw(false, true);
    expectPixelNear(readPixel(32, 64), {255, 0, 0, 64});
    model.draw(true, true);
    expectPixelNear(readPixel(32, 64), {255, 0, 0, 64});
    expectPixelNear(readPixel(96, 64), {0, 255, 0, 153});
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
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(0, 0.0f, 1.0f)}).text()));
    useUnitSquareView();
    model.draw(true, false);
    expectPixelNear(readPixel(64, 64), {255, 0, 0, 128});
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Without buffer objects the character gets no buffers and draws nothing.
    recording.messages.clear();
    recording.missingEntryPoints = {"glBufferSubData"};
    loadBufferEntryPoints();
    ASSERT_EQ(recording.messages.size(), 1u);
    EXPECT_NE(recording.messages[0].text.find("Buffer objects"), std::string::npos);
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(0, 0.0f, 1.0f)}).text()));
    EXPECT_EQ(model.meshes[0].positionBuffer, 0u);
    useUnitSquareView();
    model.draw(true, false);
    model.update(50.0f);
    expectPixelNear(readPixel(64, 64), {0, 0, 0, 0});
}

TEST_F(CharacterGlTest, SecondLoadReleasesTheBuffersOfTheFirst) {
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(0, 0.0f, 0.5f), quadMesh(1, 0.5f, 1.0f)}).text()));
    std::vector<GLuint> first;
    for (const SkinnedMesh& mesh : model.meshes) {
        first.insert(first.end(), {mesh.positionBuffer, mesh.normalBuffer, mesh.weightBuffer, mesh.boneIndexBuffer,
                                   mesh.indexBuffer});
    }
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(1, 0.0f, 1.0f)}).text()));
    ASSERT_EQ(model.meshCount(), 1);
    const SkinnedMesh& mesh = model.meshes[0];
    const std::vector<GLuint> second = {mesh.positionBuffer, mesh.normalBuffer, mesh.weightBuffer,
                                        mesh.boneIndexBuffer, mesh.indexBuffer};
    for (GLuint name : first) {
        // A name may be handed out again, but only to the new model.
        if (glIsBuffer(name)) {
            EXPECT_NE(std::find(second.begin(), second.end(), name), second.end()) << "buffer " << name << " leaked";
        }
    }
    useUnitSquareView();
    model.draw(true, false);
    expectPixelNear(readPixel(32, 64), {0, 255, 0, 204});
}

TEST_F(CharacterGlTest, LoadInANewContextLeavesThatContextsBuffersAlone) {
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(0, 0.0f, 1.0f)}).text()));
    const GLuint stale = model.meshes[0].positionBuffer;
    // The window and its context are re-created, as the full-screen toggle does.
    NativeWindow* second = createNativeWindow("second context", 64, 64, WindowFrame::Hidden);
    ASSERT_NE(second, nullptr);
    loadBufferEntryPoints();
    // Something else in the new context happens to get the old name.
    std::vector<GLuint> others(8, 0);
    glGenBuffers(static_cast<GLsizei>(others.size()), others.data());
    for (GLuint name : others) {
        glBindBuffer(GL_ARRAY_BUFFER, name);
        glBufferData(GL_ARRAY_BUFFER, 4, nullptr, GL_STATIC_DRAW);
    }
    ASSERT_NE(std::find(others.begin(), others.end(), stale), others.end());
    EXPECT_FALSE(model.meshes[0].hasBuffers());
    ASSERT_TRUE(loadText(model, quadsModel({quadMesh(1, 0.0f, 1.0f)}).text()));
    for (GLuint name : others) {
        EXPECT_TRUE(glIsBuffer(name)) << "buffer " << name << " of the new context was deleted";
    }
    EXPECT_TRUE(model.meshes[0].hasBuffers());
    model.release();
    glDeleteBuffers(static_cast<GLsizei>(others.size()), others.data());
    destroyNativeWindow(second);
}

// The generated character, lit by one light, seen by a camera in front of it.
class GeneratedCharacterGlTest : public CharacterGlTest {
protected:
    int windowWidth() const override { return 160; }
    int windowHeight() const override { return 240; }

    // Renders the model and returns the window's pixels (RGB).
    std::vector<std::uint8_t> render(const char* screenshotName) {
        glViewport(0, 0, windowWidth(), windowHeight());
        glClearColor(0.55f, 0.6f, 0.7f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(40.0, static_cast<double>(windowWidth()) / windowHeight(), 0.1, 50.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(1.2, 1.4, 3.6, 0.0, 0.95, 0.0, 0.0, 1.0, 0.0);
        const GLfloat lightDirection[] = {0.4f, 0.8f, 0.6f, 0.0f};
        const GLfloat ambient[] = {0.25f, 0.25f, 0.25f, 1.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_COLOR_MATERIAL);
        glEnable(GL_NORMALIZE);  // the skinned normals are sums, not unit vectors
        glEnable(GL_DEPTH_TEST);
        model.draw(true, false);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glFinish();
        saveScreenshot(screenshotName, windowWidth(), windowHeight(), false);
        std::vector<std::uint8_t> pixels(windowWidth() * windowHeight() * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, windowWidth(), windowHeight(), GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
};

TEST_F(GeneratedCharacterGlTest, RendersAndMovesBetweenAnimationSteps) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    model.load(LUMIVOR_RUN_DIR "/animation2.txt");
    ASSERT_TRUE(recording.messages.empty()) << recording.messages[0].text;
    ASSERT_GT(model.meshCount(), 0);

    const std::vector<std::uint8_t> idle = render("character_idle.png");
    const std::uint8_t background[3] = {140, 153, 179};
    int covered = 0;
    for (std::size_t i = 0; i < idle.size(); i += 3) {
        covered += std::abs(idle[i] - background[0]) + std::abs(idle[i + 1] - background[1]) +
                           std::abs(idle[i + 2] - background[2]) > 6
                       ? 1
                       : 0;
    }
    // The figure fills a good part of the frame but not all of it.
    EXPECT_GT(covered, 160 * 240 / 12);
    EXPECT_LT(covered, 160 * 240 / 2);

    // One step into the wave loop.
    model.currentClip = 2;
    model.currentFrame = 59;
    model.update(41.0f);
    ASSERT_EQ(model.currentFrame, 60);
    const std::vector<std::uint8_t> waving = render("character_wave.png");
    int changed = 0;
    for (std::size_t i = 0; i < idle.size(); i += 3) {
        changed += idle[i] != waving[i] || idle[i + 1] != waving[i + 1] || idle[i + 2] != waving[i + 2] ? 1 : 0;
    }
    EXPECT_GT(changed, 500);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
