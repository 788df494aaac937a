// Model loading benchmark: median time to load a 100,000-triangle skinned .glb, with and without normals and a texture.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "model/model_loader.h"
#include "support/gltf_builder.h"

namespace {

constexpr int kWarmUpLoads = 2;
constexpr int kMeasuredLoads = 15;
// A grid of 225 x 225 vertices makes 224 x 224 x 2 = 100,352 triangles.
constexpr int kGridSide = 225;
constexpr int kJointCount = 16;
constexpr int kTextureSide = 2048;

// A rippled, skinned sheet; normals and a base colour texture when asked.
std::vector<unsigned char> sheet(bool withNormals, bool withTexture) {
    std::vector<float> positions, normals, texCoords, weights;
    std::vector<std::uint16_t> joints;
    for (int row = 0; row < kGridSide; ++row) {
        for (int column = 0; column < kGridSide; ++column) {
            const float u = static_cast<float>(column) / (kGridSide - 1);
            const float v = static_cast<float>(row) / (kGridSide - 1);
            positions.insert(positions.end(), {u, 0.1f * std::sin(20 * u) * std::cos(20 * v), v});
            normals.insert(normals.end(), {0, 1, 0});
            texCoords.insert(texCoords.end(), {u, v});
            const auto joint = static_cast<std::uint16_t>(row * kJointCount / kGridSide);
            joints.insert(joints.end(), {joint, static_cast<std::uint16_t>((joint + 1) % kJointCount), 0, 0});
            weights.insert(weights.end(), {0.75f, 0.25f, 0, 0});
        }
    }
    std::vector<std::uint32_t> indices;
    for (int row = 0; row + 1 < kGridSide; ++row) {
        for (int column = 0; column + 1 < kGridSide; ++column) {
            const std::uint32_t corner = static_cast<std::uint32_t>(row * kGridSide + column);
            indices.insert(indices.end(), {corner, corner + kGridSide, corner + 1, corner + 1, corner + kGridSide,
                                           corner + kGridSide + 1});
        }
    }
    GltfBuilder b;
    std::map<std::string, int> attributes = {
        {"POSITION", b.addFloats(positions, TINYGLTF_TYPE_VEC3)},
        {"TEXCOORD_0", b.addFloats(texCoords, TINYGLTF_TYPE_VEC2)},
        {"JOINTS_0", b.addAccessor(joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4)},
        {"WEIGHTS_0", b.addFloats(weights, TINYGLTF_TYPE_VEC4)}};
    if (withNormals) attributes["NORMAL"] = b.addFloats(normals, TINYGLTF_TYPE_VEC3);
    int material = -1;
    if (withTexture) {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kTextureSide) * kTextureSide * 4);
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7 % 251);
        tinygltf::Material painted;
        painted.pbrMetallicRoughness.baseColorTexture.index =
            b.addTexture(b.addEmbeddedImage(encodePng(kTextureSide, kTextureSide, pixels)));
        material = b.addMaterial(painted);
    }
    const int mesh = b.addMesh({GltfBuilder::primitive(
        attributes, b.addAccessor(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR), material)});
    std::vector<int> jointNodes;
    for (int joint = 0; joint < kJointCount; ++joint) jointNodes.push_back(b.addNode(-1));
    tinygltf::Node skinned;
    skinned.mesh = mesh;
    skinned.skin = b.addSkin(jointNodes);
    jointNodes.push_back(b.addNode(skinned));
    b.addScene(jointNodes);
    return b.glb();
}

struct Timing {
    double wallMilliseconds;
    double processorMilliseconds;  // this process's processor time: less swayed by a busy machine
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool medianLoad(const std::vector<unsigned char>& file, Timing& timing) {
    std::vector<double> wall;
    std::vector<double> processor;
    for (int load = 0; load < kWarmUpLoads + kMeasuredLoads; ++load) {
        ModelData data;
        std::string cause;
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t processorStart = std::clock();
        if (!loadModelFromMemory(file.data(), file.size(), "", "sheet.glb", data, cause)) {
            std::fprintf(stderr, "model_benchmark: %s\n", cause.c_str());
            return false;
        }
        const std::clock_t processorEnd = std::clock();
        const auto end = std::chrono::steady_clock::now();
        if (load < kWarmUpLoads) continue;
        wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        processor.push_back(1000.0 * static_cast<double>(processorEnd - processorStart) / CLOCKS_PER_SEC);
    }
    timing = {median(wall), median(processor)};
    return true;
}

}  // namespace

int main() {
    struct Case {
        const char* name;
        bool normals;
        bool texture;
    };
    const Case cases[] = {{"with normals", true, false},
                          {"smooth normals worked out", false, false},
                          {"with normals and a 2048 x 2048 PNG", true, true}};
    std::printf("model load: %d triangles, %d vertices, skinned, median of %d loads\n",
                2 * (kGridSide - 1) * (kGridSide - 1), kGridSide * kGridSide, kMeasuredLoads);
    for (const Case& c : cases) {
        const std::vector<unsigned char> file = sheet(c.normals, c.texture);
        Timing timing{};
        if (!medianLoad(file, timing)) return 1;
        std::printf("  %-36s %8.1f ms wall %8.1f ms processor  (%zu bytes)\n", c.name, timing.wallMilliseconds,
                    timing.processorMilliseconds, file.size());
    }
    return 0;
}
