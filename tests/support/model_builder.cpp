// Model builder: boxes, grids, node trees and a two-joint skin in code.
#include "support/model_builder.h"

#include <cmath>

namespace {

void addQuad(ModelPrimitive& primitive, const std::array<std::array<float, 3>, 4>& corners,
             const std::array<float, 3>& normal) {
    const auto base = static_cast<std::uint32_t>(primitive.vertexCount());
    for (const auto& corner : corners) {
        primitive.positions.insert(primitive.positions.end(), corner.begin(), corner.end());
        primitive.normals.insert(primitive.normals.end(), normal.begin(), normal.end());
    }
    for (const std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) primitive.indices.push_back(base + i);
}

}  // namespace

ModelPrimitive boxPrimitive(const std::array<float, 3>& low, const std::array<float, 3>& high) {
    ModelPrimitive box;
    const float x0 = low[0], y0 = low[1], z0 = low[2], x1 = high[0], y1 = high[1], z1 = high[2];
    // Each face counter-clockwise seen from outside.
    addQuad(box, {{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}}, {1, 0, 0});
    addQuad(box, {{{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}}}, {-1, 0, 0});
    addQuad(box, {{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}}, {0, 1, 0});
    addQuad(box, {{{x0, y0, z1}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}}}, {0, -1, 0});
    addQuad(box, {{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}}, {0, 0, 1});
    addQuad(box, {{{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}}}, {0, 0, -1});
    return box;
}

ModelPrimitive gridPrimitive(int columns, int rows, float width, float height) {
    ModelPrimitive grid;
    for (int row = 0; row <= rows; ++row) {
        for (int column = 0; column <= columns; ++column) {
            const float x = width * column / columns, y = height * row / rows;
            grid.positions.insert(grid.positions.end(), {x, y, 0.0f});
            grid.normals.insert(grid.normals.end(), {0.0f, 0.0f, 1.0f});
            grid.texCoords.insert(grid.texCoords.end(),
                                  {static_cast<float>(column) / columns, 1.0f - static_cast<float>(row) / rows});
        }
    }
    const auto at = [columns](int column, int row) { return static_cast<std::uint32_t>(row * (columns + 1) + column); };
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            grid.indices.insert(grid.indices.end(), {at(column, row), at(column + 1, row), at(column + 1, row + 1),
                                                     at(column, row), at(column + 1, row + 1), at(column, row + 1)});
        }
    }
    return grid;
}

int addNode(ModelData& data, int parent, int mesh) {
    const int index = static_cast<int>(data.nodes.size());
    ModelNode node;
    node.parent = parent;
    node.mesh = mesh;
    data.nodes.push_back(node);
    if (parent >= 0) {
        data.nodes[parent].children.push_back(index);
    } else {
        data.sceneRoots.push_back(index);
    }
    return index;
}

ModelData singleMeshModel(std::vector<ModelPrimitive> primitives) {
    ModelData data;
    data.sourceName = "built.gltf";
    data.meshes.push_back({"mesh", std::move(primitives)});
    addNode(data, -1, 0);
    return data;
}

ModelChannel makeChannel(int node, AnimationPath path, Interpolation interpolation, std::vector<float> times,
                         std::vector<float> values) {
    ModelChannel channel;
    channel.node = node;
    channel.path = path;
    channel.interpolation = interpolation;
    channel.times = std::move(times);
    channel.values = std::move(values);
    return channel;
}

ModelData twoJointModel() {
    ModelData data;
    data.sourceName = "two-joints.gltf";
    ModelPrimitive column;
    for (int i = 0; i <= 4; ++i) {
        const float y = 0.5f * i;
        column.positions.insert(column.positions.end(), {0.0f, y, 0.0f});
        column.normals.insert(column.normals.end(), {1.0f, 0.0f, 0.0f});
        const float upper = i < 3 ? 0.0f : (i == 3 ? 0.5f : 1.0f);
        column.joints.insert(column.joints.end(), {0, 1, 0, 0});
        column.weights.insert(column.weights.end(), {1.0f - upper, upper, 0.0f, 0.0f});
    }
    column.indices = {0, 4, 2};
    data.meshes.push_back({"column", {column}});
    const int root = addNode(data, -1);
    const int child = addNode(data, root);
    data.nodes[child].translation = {0.0f, 1.0f, 0.0f};
    const int skinned = addNode(data, -1, 0);
    data.nodes[skinned].skin = 0;
    ModelSkin skin;
    skin.joints = {root, child};
    Matrix4 down = kIdentityMatrix4;
    down[13] = -1.0f;  // the child joint's bind pose is one unit up
    skin.inverseBindMatrices = {kIdentityMatrix4, down};
    data.skins.push_back(skin);
    const float half = std::sqrt(0.5f);
    ModelAnimation bend;
    bend.name = "bend";
    bend.duration = 1.0f;
    bend.channels.push_back(makeChannel(child, AnimationPath::Rotation, Interpolation::Linear, {0.0f, 1.0f},
                                        {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, half, half}));
    data.animations.push_back(bend);
    return data;
}
