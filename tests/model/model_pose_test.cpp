// Model pose and skinning: node transforms composed down the hierarchy, and vertices moved by their joints or nodes.
#include <gtest/gtest.h>

#include <cmath>

#include "model/model_pose.h"
#include "model/model_skinning.h"
#include "support/model_builder.h"

namespace {

const float kHalf = std::sqrt(0.5f);

std::array<float, 3> apply(const Matrix4& m, std::array<float, 3> p) {
    std::array<float, 3> out{};
    transformPoint(m, p.data(), out.data());
    return out;
}

}  // namespace

TEST(ModelPoseTest, ANodeScalesThenRotatesThenTranslates) {
    const Matrix4 m = composeTransform({1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, kHalf, kHalf}, {2.0f, 1.0f, 1.0f});
    const std::array<float, 3> p = apply(m, {1.0f, 0.0f, 0.0f});  // (2, 0, 0), turned to (0, 2, 0), moved
    EXPECT_NEAR(p[0], 1.0f, 1e-6f);
    EXPECT_NEAR(p[1], 2.0f, 1e-6f);
    EXPECT_NEAR(p[2], 0.0f, 1e-6f);
}

TEST(ModelPoseTest, AChildComposesUnderItsParentsMatrixAndTheMatrixOverridesTheParentsOwnParts) {
    ModelData data;
    const int parent = addNode(data, -1), child = addNode(data, parent);
    data.nodes[parent].hasMatrix = true;
    data.nodes[parent].matrix = composeTransform({0.0f, 5.0f, 0.0f}, {0.0f, 0.0f, kHalf, kHalf}, {1.0f, 1.0f, 1.0f});
    data.nodes[parent].translation = {9.0f, 9.0f, 9.0f};  // not used beside a matrix
    data.nodes[child].translation = {1.0f, 0.0f, 0.0f};
    ModelPose pose;
    setRestPose(data, pose);
    composeGlobals(data, nodesParentsFirst(data), pose);
    const std::array<float, 3> origin = apply(pose.global[child], {0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(origin[0], 0.0f, 1e-6f);  // the child's offset turned by the parent's quarter turn
    EXPECT_NEAR(origin[1], 6.0f, 1e-6f);
    EXPECT_NEAR(origin[2], 0.0f, 1e-6f);
}

TEST(ModelPoseTest, ParentsComeBeforeTheirChildrenWhateverTheNodeOrder) {
    ModelData data;
    data.nodes.resize(3);
    data.nodes[0].parent = 2, data.nodes[2].parent = 1;
    data.nodes[1].children = {2}, data.nodes[2].children = {0};
    EXPECT_EQ(nodesParentsFirst(data), (std::vector<int>{1, 2, 0}));
}

TEST(ModelSkinningTest, AVertexWeightedHalfAndHalfLiesBetweenWhereEachJointWouldTakeIt) {
    // The child joint turned a quarter about z: the vertex at y = 1.5 goes to
    // (0, 1.5) with the root and to (-0.5, 1) with the child; its +x normal to +x and +y.
    const ModelData data = twoJointModel();
    const Matrix4 turned = composeTransform({0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, kHalf, kHalf}, {1.0f, 1.0f, 1.0f});
    Matrix4 childJoint = multiply(turned, data.skins[0].inverseBindMatrices[1]);
    const Matrix4 joints[2] = {kIdentityMatrix4, childJoint};
    const NormalMatrix normals[2] = {normalMatrix(joints[0]), normalMatrix(joints[1])};
    const ModelPrimitive& column = data.meshes[0].primitives[0];
    std::vector<float> positions(column.positions.size()), skinnedNormals(column.normals.size());
    skinVertices(column, joints, normals, positions.data(), skinnedNormals.data());
    EXPECT_NEAR(positions[9], -0.25f, 1e-6f);
    EXPECT_NEAR(positions[10], 1.25f, 1e-6f);
    EXPECT_NEAR(skinnedNormals[9], kHalf, 1e-6f) << "renormalised";
    EXPECT_NEAR(skinnedNormals[10], kHalf, 1e-6f);
    EXPECT_NEAR(positions[12], -1.0f, 1e-6f) << "the top vertex follows the child joint alone";
    EXPECT_NEAR(positions[13], 1.0f, 1e-6f);
}

TEST(ModelSkinningTest, AnUnskinnedMeshMovesRigidlyWithItsNodeAndItsNormalsStayPerpendicularUnderStretching) {
    // A triangle in the plane x + y = 1; stretched four times along y, the
    // plane becomes x + y / 4 = 1, whose normal is (1, 1/4, 0) normalised.
    ModelPrimitive slope;
    slope.positions = {1, 0, 0, 0, 1, 0, 0, 1, 1};
    slope.normals = {kHalf, kHalf, 0, kHalf, kHalf, 0, kHalf, kHalf, 0};
    slope.indices = {0, 1, 2};
    ModelData data = singleMeshModel({slope});
    data.nodes[0].scale = {1.0f, 4.0f, 1.0f};
    data.nodes[0].translation = {0.0f, 0.0f, -2.0f};
    ModelPose pose;
    setRestPose(data, pose);
    composeGlobals(data, nodesParentsFirst(data), pose);
    SkinMatrices skins;
    std::vector<float> positions(9), normals(9);
    poseVertices(data, {{0, 0, 0, -1, 0}}, pose, scaleThenTranslate(0.5f, {1.0f, 0.0f, 0.0f}), skins, positions.data(),
                 normals.data());
    // (0, 1, 1): stretched to (0, 4, 1), moved to (0, 4, -1), halved, moved by one in x.
    EXPECT_FLOAT_EQ(positions[6], 1.0f);
    EXPECT_FLOAT_EQ(positions[7], 2.0f);
    EXPECT_FLOAT_EQ(positions[8], -0.5f);
    EXPECT_NEAR(normals[0], 1.0f / std::sqrt(1.0625f), 1e-6f);
    EXPECT_NEAR(normals[1], 0.25f / std::sqrt(1.0625f), 1e-6f);
}
