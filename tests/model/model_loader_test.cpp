// Model loader: skinned, animated, textured and plain glTF models into the ModelData their files describe.
#include <gtest/gtest.h>

#include <cmath>

#include "model/model_loader.h"
#include "support/gltf_builder.h"
#include "support/scratch_directory.h"

namespace {

using Floats = std::vector<float>;
constexpr int kFloat = TINYGLTF_COMPONENT_TYPE_FLOAT;
constexpr int kVec3 = TINYGLTF_TYPE_VEC3;
constexpr int kVec4 = TINYGLTF_TYPE_VEC4;
constexpr float kTolerance = 1e-6f;

void expectNear(const Floats& actual, const Floats& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], kTolerance) << "at " << i;
}

ModelData load(const GltfBuilder& builder, std::vector<std::string>* notes = nullptr) {
    const std::vector<unsigned char> bytes = builder.glb();
    ModelData data;
    std::string cause;
    ModelLoadSettings settings;
    settings.notes = notes;
    EXPECT_TRUE(loadModelFromMemory(bytes.data(), bytes.size(), "", "test.glb", data, cause, settings)) << cause;
    return data;
}

// Nodes: 0 root (TRS, children 1 and 2), 1 a matrix, 2 the hand (children
// 4, 5, 6), 3 the skinned mesh (a second root). Skin 0 has six joints; the
// triangle's vertices have eight influences in two sets.
class SkinnedGltfTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        GltfBuilder b;
        const int positions = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, kVec3);
        const std::vector<std::uint8_t> joints0 = {0, 1, 2, 3, 2, 0, 0, 0, 3, 1, 0, 0};
        const std::vector<std::uint16_t> joints1 = {4, 5, 0, 0, 0, 0, 0, 0, 4, 5, 0, 0};
        const int j0 = b.addAccessor(joints0, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, kVec4);
        const int j1 = b.addAccessor(joints1, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, kVec4);
        const int w0 = b.addFloats({0.1f, 0.4f, 0.05f, 0.05f, 1, 0, 0, 0, 0, 0, 0, 0}, kVec4);
        const int w1 = b.addFloats({0.3f, 0.1f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kVec4);
        const int mesh = b.addMesh({GltfBuilder::primitive(
            {{"POSITION", positions}, {"JOINTS_0", j0}, {"JOINTS_1", j1}, {"WEIGHTS_0", w0}, {"WEIGHTS_1", w1}})});
        tinygltf::Node root;
        root.name = "root";
        root.translation = {1, 2, 3};
        root.rotation = {0, 0, 2, 0};  // not of unit length
        root.scale = {2, 2, 2};
        root.children = {1, 2};
        b.addNode(root);
        tinygltf::Node matrix;
        matrix.matrix = translationMatrix(0, 1, 0);
        b.addNode(matrix);
        b.addNode(-1, {4, 5, 6}, {0, 1, 0});
        tinygltf::Node skinned;
        skinned.mesh = mesh;
        skinned.skin = 0;
        b.addNode(skinned);
        for (int i = 0; i < 3; ++i) b.addNode(-1);
        b.addScene({0, 3});
        Floats inverseBinds;
        for (int joint = 0; joint < 6; ++joint) {
            const std::vector<double> m = translationMatrix(0, -joint, 0);
            inverseBinds.insert(inverseBinds.end(), m.begin(), m.end());
        }
        b.addSkin({0, 1, 2, 4, 5, 6}, inverseBinds);
        b.addAnimation({{0, "translation", "STEP", {0, 1}, {0, 0, 0, 1, 0, 0}},
                        {2, "rotation", "LINEAR", {0, 0.5f, 2}, {0, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0}},
                        {0, "scale", "CUBICSPLINE", {0, 1.5f}, {0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 2, 2, 2, 0, 0, 0}}},
                       "walk");
        data_ = new ModelData(load(b));
    }
    static void TearDownTestSuite() { delete data_; }

    static ModelData* data_;
};

ModelData* SkinnedGltfTest::data_ = nullptr;

TEST_F(SkinnedGltfTest, KeepsTheHierarchyAndTheDefaultScene) {
    EXPECT_EQ(data_->nodes.size(), 7u);
    EXPECT_EQ(data_->nodes[0].children, (std::vector<int>{1, 2}));
    EXPECT_EQ(data_->nodes[1].parent, 0);
    EXPECT_EQ(data_->nodes[5].parent, 2);
    EXPECT_EQ(data_->nodes[3].parent, -1);
    EXPECT_EQ(data_->sceneRoots, (std::vector<int>{0, 3}));
    EXPECT_EQ(data_->nodes[3].mesh, 0);
    EXPECT_EQ(data_->nodes[3].skin, 0);
}

TEST_F(SkinnedGltfTest, KeepsEitherTheMatrixOrTheTranslationRotationAndScale) {
    const ModelNode& root = data_->nodes[0];
    EXPECT_FALSE(root.hasMatrix);
    EXPECT_EQ(root.translation, (std::array<float, 3>{1, 2, 3}));
    EXPECT_EQ(root.rotation, (std::array<float, 4>{0, 0, 1, 0}));
    EXPECT_EQ(root.scale, (std::array<float, 3>{2, 2, 2}));
    EXPECT_TRUE(data_->nodes[1].hasMatrix);
    EXPECT_EQ(data_->nodes[1].matrix[13], 1.0f);
}

TEST_F(SkinnedGltfTest, KeepsTheSkinsJointsAndInverseBindMatrices) {
    ASSERT_EQ(data_->skins.size(), 1u);
    EXPECT_EQ(data_->skins[0].joints, (std::vector<int>{0, 1, 2, 4, 5, 6}));
    ASSERT_EQ(data_->skins[0].inverseBindMatrices.size(), 6u);
    EXPECT_EQ(data_->skins[0].inverseBindMatrices[4][13], -4.0f);
}

TEST_F(SkinnedGltfTest, KeepsEachVertexsFourLargestInfluencesScaledToOne) {
    const ModelPrimitive& primitive = data_->meshes[0].primitives[0];
    // Of 0.1, 0.4, 0.05, 0.05 and 0.3, 0.1: the two tied at 0.1 stay in file order.
    EXPECT_EQ(std::vector<std::uint16_t>(primitive.joints.begin(), primitive.joints.begin() + 4),
              (std::vector<std::uint16_t>{1, 4, 0, 5}));
    EXPECT_NEAR(primitive.weights[0], 0.4f / 0.9f, kTolerance);
    EXPECT_NEAR(primitive.weights[1], 0.3f / 0.9f, kTolerance);
    EXPECT_NEAR(primitive.weights[3], 0.1f / 0.9f, kTolerance);
}

TEST_F(SkinnedGltfTest, AVertexWithoutWeightFollowsItsFirstJoint) {
    const ModelPrimitive& primitive = data_->meshes[0].primitives[0];
    EXPECT_EQ(std::vector<std::uint16_t>(primitive.joints.begin() + 8, primitive.joints.end()),
              (std::vector<std::uint16_t>{3, 0, 0, 0}));
    EXPECT_EQ(Floats(primitive.weights.begin() + 8, primitive.weights.end()), (Floats{1, 0, 0, 0}));
}

TEST_F(SkinnedGltfTest, KeepsTheKeysOfEveryInterpolation) {
    ASSERT_EQ(data_->animations.size(), 1u);
    const ModelAnimation& walk = data_->animations[0];
    EXPECT_EQ(walk.name, "walk");
    EXPECT_EQ(walk.duration, 2.0f);
    ASSERT_EQ(walk.channels.size(), 3u);
    EXPECT_EQ(walk.channels[0].interpolation, Interpolation::Step);
    EXPECT_EQ(walk.channels[0].values, (Floats{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(walk.channels[1].node, 2);
    EXPECT_EQ(walk.channels[1].path, AnimationPath::Rotation);
    EXPECT_EQ(walk.channels[1].times, (Floats{0, 0.5f, 2}));
    EXPECT_EQ(walk.channels[2].path, AnimationPath::Scale);
    EXPECT_EQ(walk.channels[2].interpolation, Interpolation::CubicSpline);
    EXPECT_EQ(walk.channels[2].values.size(), 18u);  // in-tangent, value, out-tangent per key
}

TEST(ModelLoaderTest, ReadsATexturedModelFromSeparateFiles) {
    ScratchDirectory directory;
    // Two pixels a row: red, green on top; blue, white at the bottom.
    const std::vector<std::uint8_t> pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
    const std::vector<unsigned char> png = encodePng(2, 2, pixels);
    directory.writeFile("skin colour.png", std::string(png.begin(), png.end()));
    GltfBuilder b;
    const int positions = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, kVec3);
    const int texCoords = b.addFloats({0, 0, 1, 0, 0, 1}, TINYGLTF_TYPE_VEC2);
    tinygltf::Sampler sampler;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
    sampler.wrapT = TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_NEAREST;
    b.model.samplers.push_back(sampler);
    tinygltf::Material material;
    material.pbrMetallicRoughness.baseColorTexture.index = b.addTexture(b.addImageUri("skin%20colour.png"), 0);
    material.pbrMetallicRoughness.baseColorFactor = {0.5, 0.25, 1, 1};
    material.pbrMetallicRoughness.metallicFactor = 0.25;
    material.alphaMode = "MASK";
    material.alphaCutoff = 0.3;
    material.doubleSided = true;
    b.addMesh(
        {GltfBuilder::primitive({{"POSITION", positions}, {"TEXCOORD_0", texCoords}}, -1, b.addMaterial(material))});
    b.addScene({b.addNode(0)});
    b.writeGltf(directory.path(), "textured.gltf", "textured.bin");

    ModelData data;
    std::string cause;
    ASSERT_TRUE(loadModel(directory.file("textured.gltf"), data, cause)) << cause;
    ASSERT_EQ(data.images.size(), 1u);
    EXPECT_EQ(data.images[0].width, 2);
    EXPECT_EQ(data.images[0].rgba, pixels);  // top row first, alpha kept
    ASSERT_EQ(data.textures.size(), 1u);
    EXPECT_EQ(data.textures[0].wrapS, TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE);
    EXPECT_EQ(data.textures[0].wrapT, TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT);
    EXPECT_EQ(data.textures[0].magFilter, TINYGLTF_TEXTURE_FILTER_NEAREST);
    EXPECT_EQ(data.textures[0].minFilter, TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR);  // left open
    const ModelMaterial& loaded = data.materials[0];
    EXPECT_EQ(loaded.baseColourTexture, 0);
    EXPECT_EQ(loaded.baseColourFactor, (std::array<float, 4>{0.5f, 0.25f, 1, 1}));
    EXPECT_EQ(loaded.metallicFactor, 0.25f);
    EXPECT_EQ(loaded.alphaMode, AlphaMode::Mask);
    EXPECT_EQ(loaded.alphaCutoff, 0.3f);
    EXPECT_TRUE(loaded.doubleSided);
    EXPECT_EQ(data.meshes[0].primitives[0].texCoords, (Floats{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(data.sourceName, directory.file("textured.gltf"));
}

TEST(ModelLoaderTest, ReadsIndicesOfEveryTypeAndNumbersUnindexedVertices) {
    const std::vector<std::uint32_t> quad = {0, 1, 2, 2, 1, 3};
    const Floats corners = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    GltfBuilder b;
    const int positions = b.addFloats(corners, kVec3);
    const int bytes = b.addAccessor(std::vector<std::uint8_t>(quad.begin(), quad.end()),
                                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_SCALAR);
    const int shorts = b.addAccessor(std::vector<std::uint16_t>(quad.begin(), quad.end()),
                                     TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR);
    const int ints = b.addAccessor(quad, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR);
    const int triangle = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, kVec3);
    b.addMesh({GltfBuilder::primitive({{"POSITION", positions}}, bytes),
               GltfBuilder::primitive({{"POSITION", positions}}, shorts),
               GltfBuilder::primitive({{"POSITION", positions}}, ints),
               GltfBuilder::primitive({{"POSITION", triangle}})});
    const ModelData data = load(b);
    const std::vector<ModelPrimitive>& primitives = data.meshes[0].primitives;
    ASSERT_EQ(primitives.size(), 4u);
    for (int type = 0; type < 3; ++type) {
        SCOPED_TRACE(type);
        EXPECT_EQ(primitives[type].indices, quad);
    }
    EXPECT_EQ(primitives[3].indices, (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(ModelLoaderTest, WorksOutSmoothNormalsWeightedByTriangleArea) {
    // A large triangle facing +z (area 4) and a small one facing +x (area 1)
    // share the edge from vertex 0 to vertex 1.
    GltfBuilder b;
    b.addMesh({GltfBuilder::primitive({{"POSITION", b.addFloats({0, 0, 0, 0, 2, 0, 4, 0, 0, 0, 0, 1}, kVec3)}},
                                      b.addAccessor(std::vector<std::uint16_t>{0, 2, 1, 0, 1, 3},
                                                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR))});
    const Floats normals = load(b).meshes[0].primitives[0].normals;
    const float length = std::sqrt(68.0f);
    expectNear(Floats(normals.begin(), normals.begin() + 3), {2 / length, 0, 8 / length});
    expectNear(Floats(normals.begin() + 6, normals.end()), {0, 0, 1, 1, 0, 0});
}

// Found by fuzzing: the face normal of a triangle this small squares to subnormal numbers.
TEST(ModelLoaderTest, SmoothNormalsOfATinyTriangleAreUnitLength) {
    GltfBuilder b;
    b.addTriangleMesh({0, 0, 0, 1e-20f, 0, 0, 0, 1e-20f, 0});
    const Floats normals = load(b).meshes[0].primitives[0].normals;
    expectNear(Floats(normals.begin(), normals.begin() + 3), {0, 0, 1});
}

TEST(ModelLoaderTest, ReadsColoursAsRgbaFromEveryForm) {
    GltfBuilder b;
    const int positions = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, kVec3);
    const int rgbFloats = b.addFloats({0.25f, 0.5f, 0.75f, 0, 0, 0, 1, 1, 1}, kVec3);
    const int rgbaBytes = b.addAccessor(std::vector<std::uint8_t>{255, 0, 51, 102, 0, 0, 0, 0, 0, 0, 0, 0},
                                        TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, kVec4, true);
    const int rgbaShorts = b.addAccessor(std::vector<std::uint16_t>{65535, 0, 13107, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                         TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, kVec4, true);
    b.addMesh({GltfBuilder::primitive({{"POSITION", positions}, {"COLOR_0", rgbFloats}}),
               GltfBuilder::primitive({{"POSITION", positions}, {"COLOR_0", rgbaBytes}}),
               GltfBuilder::primitive({{"POSITION", positions}, {"COLOR_0", rgbaShorts}})});
    const std::vector<ModelPrimitive> primitives = load(b).meshes[0].primitives;
    expectNear(primitives[0].colours, {0.25f, 0.5f, 0.75f, 1, 0, 0, 0, 1, 1, 1, 1, 1});
    expectNear(Floats(primitives[1].colours.begin(), primitives[1].colours.begin() + 4), {1, 0, 0.2f, 0.4f});
    expectNear(Floats(primitives[2].colours.begin(), primitives[2].colours.begin() + 4), {1, 0, 0.2f, 0});
}

TEST(ModelLoaderTest, AppliesASparseAccessorOverItsBase) {
    GltfBuilder b;
    const int positions = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, kVec3);
    tinygltf::Accessor& accessor = b.model.accessors[positions];
    accessor.sparse.isSparse = true;
    accessor.sparse.count = 1;
    const std::vector<std::uint8_t> index = {2};
    accessor.sparse.indices.bufferView = b.addView(index.data(), index.size());
    accessor.sparse.indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    accessor.sparse.indices.byteOffset = 0;
    const Floats moved = {0, 5, 0};
    accessor.sparse.values.bufferView = b.addView(moved.data(), moved.size() * sizeof(float));
    accessor.sparse.values.byteOffset = 0;
    b.addMesh({GltfBuilder::primitive({{"POSITION", positions}})});
    EXPECT_EQ(load(b).meshes[0].primitives[0].positions, (Floats{0, 0, 0, 1, 0, 0, 0, 5, 0}));
}

TEST(ModelLoaderTest, WithoutAScenePlacesEveryNodeThatHasNoParent) {
    GltfBuilder b;
    b.addNode(-1, {2});
    b.addNode(-1);
    b.addNode(-1);
    EXPECT_EQ(load(b).sceneRoots, (std::vector<int>{0, 1}));
}

// One line per kind of content the program leaves out, each said once however often it occurs.
TEST(ModelLoaderTest, NotesEachKindOfIgnoredContentOnce) {
    GltfBuilder b;
    const int positions = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, kVec3);
    tinygltf::Primitive morphed = GltfBuilder::primitive({{"POSITION", positions}});
    morphed.targets = {{{"POSITION", positions}}};
    tinygltf::Primitive points = GltfBuilder::primitive({{"POSITION", positions}});
    points.mode = TINYGLTF_MODE_POINTS;
    tinygltf::Material blend;
    blend.alphaMode = "BLEND";
    b.addMaterial(blend);
    b.addMaterial(blend);
    b.addMesh({morphed, morphed, points, points});
    tinygltf::Camera camera;
    camera.type = "perspective";
    camera.perspective.yfov = 1;
    camera.perspective.znear = 0.1;
    b.model.cameras = {camera, camera};
    tinygltf::Light light;
    light.type = "point";
    b.model.lights = {light};
    b.model.extensionsUsed = {"KHR_lights_punctual", "KHR_materials_sheen"};
    std::vector<std::string> notes;
    load(b, &notes);
    for (const char* kind : {"morph targets", "not triangle lists", "BLEND", "cameras", "KHR_lights_punctual",
                             "not need: KHR_materials_sheen"}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                                [&](const std::string& line) { return line.find(kind) != std::string::npos; }),
                  1);
    }
    EXPECT_EQ(notes.size(), 6u);
}

}  // namespace
