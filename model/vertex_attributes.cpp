// Vertex attributes derived at load: smooth normals where a file has none, and the four largest joint influences.
#include "model/vertex_attributes.h"

#include <algorithm>
#include <cmath>

#include "math/vector3.h"

namespace {

constexpr int kInfluencesPerVertex = 4;
// World y is up: the direction a lone point or a degenerate corner faces.
const Vector3 kUp = {0.0f, 1.0f, 0.0f};

Vector3 vectorAt(const std::vector<float>& values, std::size_t vertex) {
    return {values[3 * vertex], values[3 * vertex + 1], values[3 * vertex + 2]};
}

void storeAt(std::vector<float>& values, std::size_t vertex, const Vector3& v) {
    values[3 * vertex] = v.x;
    values[3 * vertex + 1] = v.y;
    values[3 * vertex + 2] = v.z;
}

// A unit vector along v, or false when v has no direction. v is first
// divided by its largest component, so that squaring neither underflows for
// tiny vectors nor overflows for huge ones.
bool unitAlong(const Vector3& v, Vector3& unit) {
    const float largest = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    if (!(largest > 0.0f) || !std::isfinite(largest)) return false;
    const Vector3 scaled = {v.x / largest, v.y / largest, v.z / largest};
    unit = scaled * (1.0f / length(scaled));
    return true;
}

struct Influence {
    std::uint16_t joint;
    float weight;
};

}  // namespace

std::vector<float> smoothNormals(const std::vector<float>& positions, const std::vector<std::uint32_t>& indices) {
    std::vector<float> normals(positions.size(), 0.0f);
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        const Vector3 a = vectorAt(positions, indices[i]);
        const Vector3 b = vectorAt(positions, indices[i + 1]);
        const Vector3 c = vectorAt(positions, indices[i + 2]);
        // The cross product's length is twice the triangle's area: summing
        // unnormalised face normals weights each face by its area.
        const Vector3 face = cross(b - a, c - a);
        for (std::size_t corner = 0; corner < 3; ++corner) {
            const std::size_t vertex = indices[i + corner];
            storeAt(normals, vertex, vectorAt(normals, vertex) + face);
        }
    }
    const std::size_t vertexCount = positions.size() / 3;
    for (std::size_t vertex = 0; vertex < vertexCount; ++vertex) {
        Vector3 unit;
        storeAt(normals, vertex, unitAlong(vectorAt(normals, vertex), unit) ? unit : kUp);
    }
    return normals;
}

void normaliseNormals(std::vector<float>& normals, const std::vector<float>& positions,
                      const std::vector<std::uint32_t>& indices) {
    std::vector<float> smooth;  // worked out only when a normal needs it
    const std::size_t vertexCount = normals.size() / 3;
    for (std::size_t vertex = 0; vertex < vertexCount; ++vertex) {
        Vector3 unit;
        if (unitAlong(vectorAt(normals, vertex), unit)) {
            storeAt(normals, vertex, unit);
            continue;
        }
        if (smooth.empty()) smooth = smoothNormals(positions, indices);
        storeAt(normals, vertex, vectorAt(smooth, vertex));
    }
}

void keepFourLargestInfluences(const std::vector<std::vector<std::uint16_t>>& jointSets,
                               const std::vector<std::vector<float>>& weightSets, std::size_t vertexCount,
                               std::vector<std::uint16_t>& joints, std::vector<float>& weights) {
    joints.assign(vertexCount * kInfluencesPerVertex, 0);
    weights.assign(vertexCount * kInfluencesPerVertex, 0.0f);
    std::vector<Influence> influences(jointSets.size() * kInfluencesPerVertex);
    for (std::size_t vertex = 0; vertex < vertexCount; ++vertex) {
        for (std::size_t set = 0; set < jointSets.size(); ++set) {
            for (int slot = 0; slot < kInfluencesPerVertex; ++slot) {
                const std::size_t at = vertex * kInfluencesPerVertex + slot;
                // A negative weight is no influence at all.
                influences[set * kInfluencesPerVertex + slot] = {jointSets[set][at],
                                                                 std::max(weightSets[set][at], 0.0f)};
            }
        }
        if (influences.size() > kInfluencesPerVertex) {
            // Stable, so equal weights keep the file's order.
            std::stable_sort(influences.begin(), influences.end(),
                             [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        }
        float sum = 0.0f;
        for (int slot = 0; slot < kInfluencesPerVertex; ++slot) sum += influences[slot].weight;
        std::uint16_t* vertexJoints = &joints[vertex * kInfluencesPerVertex];
        float* vertexWeights = &weights[vertex * kInfluencesPerVertex];
        if (!(sum > 0.0f)) {
            // With no weight at all skinning would pull the vertex to the
            // origin; it follows its first joint rigidly instead.
            vertexJoints[0] = jointSets[0][vertex * kInfluencesPerVertex];
            vertexWeights[0] = 1.0f;
            continue;
        }
        for (int slot = 0; slot < kInfluencesPerVertex; ++slot) {
            if (influences[slot].weight > 0.0f) {
                vertexJoints[slot] = influences[slot].joint;
                vertexWeights[slot] = influences[slot].weight / sum;
            }
        }
    }
}
