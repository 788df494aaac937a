// A user's model in the real scene: where it stands, its G-buffer values, animation, textures, cut-outs, culling
// and drops.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "app/background_loads.h"
#include "app/file_drop.h"
#include "app/model_loading.h"
#include "app/window_procedure.h"
#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "frame/figure.h"
#include "frame/overlay_status.h"
#include "frame/scene_resources.h"
#include "gpu/render_targets.h"
#include "model/scene_model.h"
#include "scene_fixture.h"
#include "support/gltf_builder.h"
#include "support/model_builder.h"
#include "support/scratch_directory.h"

namespace {

// A 2 x 2 texture, top row first: red, green over blue, white; alpha 0 on the
// diagonal from top left to bottom right when cut.
ModelData texturedGrid(int columns, int rows, bool cut) {
    ModelData data = singleMeshModel({gridPrimitive(columns, rows, 1.0f, 1.0f)});
    data.meshes[0].primitives[0].material = 0;
    ModelImage image;
    image.width = image.height = 2;
    image.rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    if (cut) image.rgba[3] = image.rgba[15] = 0;
    data.images.push_back(image);
    ModelTexture texture;
    texture.image = 0;
    texture.minFilter = texture.magFilter = GL_NEAREST;
    data.textures.push_back(texture);
    ModelMaterial material;
    material.baseColourTexture = 0;
    material.alphaMode = cut ? AlphaMode::Mask : AlphaMode::Opaque;
    data.materials.push_back(material);
    return data;
}

// A box two units tall whose top corners follow the child joint of the
// two-joint skin, which turns a quarter about z over the first second.
ModelData skinnedBox() {
    ModelData data = twoJointModel();
    ModelPrimitive box = boxPrimitive({-0.3f, 0.0f, -0.3f}, {0.3f, 2.0f, 0.3f});
    for (int vertex = 0; vertex < box.vertexCount(); ++vertex) {
        const bool top = box.positions[vertex * 3 + 1] > 1.0f;
        box.joints.insert(box.joints.end(), {0, 1, 0, 0});
        box.weights.insert(box.weights.end(), {top ? 0.0f : 1.0f, top ? 1.0f : 0.0f, 0.0f, 0.0f});
    }
    data.meshes[0].primitives[0] = box;
    return data;
}

class ModelFigureTest : public SceneFixture {
protected:
    void TearDown() override { sceneModel().clear(); }

    // Prepares the scene (the loader's tests cover reading it from files) and makes it the model in use.
    static const PreparedModel& install(ModelData data) {
        auto model = std::make_unique<PreparedModel>();
        std::string cause;
        EXPECT_TRUE(prepareModel(std::move(data), {}, *model, cause)) << cause;
        EXPECT_TRUE(sceneModel().install(std::move(model), cause)) << cause;
        return sceneModel().model();
    }

    // A target's RGBA at the pixel a world point lands on (the targets are window-sized).
    static std::array<float, 4> at(int target, const Vector3& world) {
        int width = 0, height = 0, x = 0, y = 0;
        const std::vector<float> pixels = targetPixels(target, width, height);
        EXPECT_TRUE(project(world, x, y)) << "in view";
        const float* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    // True where the pixel holds an object (the ground's position alpha is 0,
    // and the background keeps the clear colour, a zero normal).
    static bool objectAt(const Vector3& world) {
        const std::array<float, 4> normal = at(kNormalTarget, world);
        return at(kPositionTarget, world)[3] == 1.0f &&
               normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2] > 0.5f;
    }

    // A point of the placed grid: u, v from its left and bottom edges, 0 to 1.
    static Vector3 onGrid(const PreparedModel& model, float u, float v) {
        const ModelBounds& b = model.placedBounds;
        return {b.min[0] + u * (b.max[0] - b.min[0]), b.min[1] + v * (b.max[1] - b.min[1]), b.max[2]};
    }

    // The depth light 0's shadow map holds where the world point lands.
    static float shadowDepth(const Vector3& world) {
        GLdouble view[16], projection[16], x = 0, y = 0, z = 0;
        std::copy_n(sceneResources().shadowModelView[0], 16, view);
        std::copy_n(sceneResources().shadowProjection[0], 16, projection);
        const GLint viewport[4] = {0, 0, kShadowMapSize, kShadowMapSize};
        gluProject(world.x, world.y, world.z, view, projection, viewport, &x, &y, &z);
        std::vector<float> depth(kShadowMapSize * kShadowMapSize);
        glBindTexture(GL_TEXTURE_2D, sceneResources().renderTargets->getTexture(kShadowTargetBase));
        glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        return depth[static_cast<std::size_t>(y) * kShadowMapSize + static_cast<std::size_t>(x)];
    }
};

}  // namespace

TEST_F(ModelFigureTest, AModelStandsWhereTheCharacterStoodWithItsMaterialInTheGBuffer) {
    ModelData data = singleMeshModel({boxPrimitive({-0.1f, 0.0f, -0.1f}, {0.1f, 1.0f, 0.1f})});
    data.meshes[0].primitives[0].material = 0;
    data.materials.resize(1);
    data.materials[0].baseColourFactor = {0.8f, 0.1f, 0.1f, 1.0f};
    data.materials[0].metallicFactor = 0.0f;
    data.materials[0].roughnessFactor = 0.5f;
    install(data);
    frame();
    const Vector3 front(0.0f, 0.9f, 0.18f);  // the box is 0.36 across once 1.8 tall
    EXPECT_TRUE(objectAt(front));
    EXPECT_NEAR(at(kPositionTarget, front)[2], 0.18f, 0.01f);
    EXPECT_NEAR(at(kColourTarget, front)[0], 0.8f, 0.01f);
    EXPECT_NEAR(at(kColourTarget, front)[1], 0.1f, 0.01f);
    EXPECT_EQ(at(kColourTarget, front)[3], 0.5f) << "no mirror";
    EXPECT_EQ(at(kNormalTarget, front)[3], 0.25f) << "half rough: a quarter glossy";
    EXPECT_NEAR(at(kNormalTarget, front)[2], 1.0f, 1e-3f) << "the front faces the camera";
    EXPECT_FALSE(objectAt(Vector3(0.32f, 0.9f, 0.0f))) << "no character's hand beside the box";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelFigureTest, AnAnimatedSkinnedModelMovesBetweenFramesAndStandsStillWithoutTime) {
    install(skinnedBox());
    frame(0);
    int width = 0, height = 0;
    const std::vector<float> start = targetPixels(kPositionTarget, width, height);
    frame(0);
    EXPECT_EQ(targetPixels(kPositionTarget, width, height), start);
    frame(500);
    const std::vector<float> later = targetPixels(kPositionTarget, width, height);
    int changed = 0;
    for (std::size_t i = 0; i < start.size(); i += 4) changed += start[i] != later[i];
    EXPECT_GT(changed, 200) << "pixels whose surface moved";
}

TEST_F(ModelFigureTest, ATexturesPatternShowsInTheColourTargetOnAHundredThousandTriangles) {
    const PreparedModel& model = install(texturedGrid(250, 200, false));
    ASSERT_EQ(model.triangleCount(), 100000u);
    frame();
    const std::array<float, 4> topLeft = at(kColourTarget, onGrid(model, 0.25f, 0.75f));
    const std::array<float, 4> bottomRight = at(kColourTarget, onGrid(model, 0.75f, 0.25f));
    EXPECT_EQ(topLeft[0], 1.0f);
    EXPECT_EQ(topLeft[2], 0.0f);
    EXPECT_EQ(bottomRight[1], 1.0f);
    EXPECT_EQ(bottomRight[2], 1.0f);
    EXPECT_EQ(at(kColourTarget, onGrid(model, 0.25f, 0.25f))[2], 1.0f) << "blue at the bottom left";
}

TEST_F(ModelFigureTest, ACutOutMaterialIsCutOutOfTheGBufferAndTheShadowMaps) {
    const PreparedModel& model = install(texturedGrid(4, 4, true));
    environmentLights().currentDirections[0] = normalize(Vector3(0.0f, 0.6f, 0.8f));  // behind the camera
    frame();
    const Vector3 cut = onGrid(model, 0.25f, 0.75f), kept = onGrid(model, 0.75f, 0.75f);
    EXPECT_TRUE(objectAt(kept));
    EXPECT_FALSE(objectAt(cut));
    EXPECT_EQ(at(kColourTarget, kept)[1], 1.0f) << "the kept green quarter";
    EXPECT_EQ(at(kSkyTarget, kept)[3], 0.0f) << "a silhouette";
    EXPECT_GT(at(kSkyTarget, cut)[3] + at(kSkyTarget, cut)[0], 0.0f) << "no silhouette";
    EXPECT_LT(shadowDepth(kept), shadowDepth(cut) - 0.01f) << "the cut quarter lets the light through";
}

TEST_F(ModelFigureTest, ADoubleSidedMaterialShowsItsBackAndASingleSidedOneDoesNot) {
    ModelData data = texturedGrid(2, 2, false);
    camera().place(0.0f, 0.9f, -3.0f, 0.0f, 0.9f, 0.0f, 0.0f, 1.0f, 0.0f);  // behind the grid
    install(data);
    frame();
    EXPECT_FALSE(objectAt(Vector3(0.0f, 0.9f, 0.0f)));
    data.materials[0].doubleSided = true;
    install(data);
    frame();
    EXPECT_TRUE(objectAt(Vector3(0.0f, 0.9f, 0.0f)));
}

TEST_F(ModelFigureTest, ADroppedModelLoadsInTheBackgroundAndReplacesTheModelAndABrokenOneKeepsIt) {
    // Frames go on, each followed by the switch step, until the dropped file's load has been applied.
    const auto framesUntilLoaded = [this] {
        for (int i = 0; backgroundLoadPending() && i < 1000; ++i) {
            frame();
            applyFinishedLoads(appWindow);
        }
    };
    const ModelPrimitive box = boxPrimitive({0, 0, 0}, {1, 1, 1});
    GltfBuilder good;
    good.addScene({good.addNode(good.addTriangleMesh(box.positions, {box.indices.begin(), box.indices.end()}))});
    const std::vector<unsigned char> glb = good.glb();
    std::ofstream("good.glb", std::ios::binary).write(reinterpret_cast<const char*>(glb.data()), glb.size());
    setModelRunOptions({{}, true});  // --verbose
    WindowMessage message;
    message.type = MessageType::DropFile;
    message.path = "good.glb";
    windowProc(appWindow, message);
    EXPECT_EQ(overlayStatus(), "Loading good.glb (0 s)");
    testing::internal::CaptureStderr();
    framesUntilLoaded();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("model good.glb: 12 triangles drawn, 12 in the shadow maps"),
              std::string::npos);
    setModelRunOptions({});
    ASSERT_TRUE(userModelShown());
    EXPECT_EQ(sceneModel().model().data.sourceName, "good.glb");
    EXPECT_EQ(overlayStatus(), "");

    std::ofstream("broken.glb") << "glTF, but not really";
    message.path = "broken.glb";
    testing::internal::CaptureStderr();
    windowProc(appWindow, message);
    framesUntilLoaded();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("lumivor: Could not load the model broken.glb: "), std::string::npos) << said;
    EXPECT_NE(said.find("The model good.glb stays."), std::string::npos) << said;
    EXPECT_EQ(overlayStatus().rfind("Could not load broken.glb: ", 0), 0u) << overlayStatus();
    EXPECT_EQ(sceneModel().model().data.sourceName, "good.glb");
    EXPECT_NE(readWholeFile("Log.txt").find("Could not load the model broken.glb: "), std::string::npos);

    message.path = "notes.txt";
    windowProc(appWindow, message);
    EXPECT_EQ(overlayStatus(), "Not used: notes.txt (drop an .hdr or .exr map, or a .gltf or .glb model)");
    clearOverlayStatus();
}
