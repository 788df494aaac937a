// Vertex attributes derived at load: smooth normals where a file has none, and the four largest joint influences.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Unit normals, 3 per vertex: at each vertex the sum of the normals of the
// triangles that share its index, each weighted by its area. A vertex that no
// triangle with an area touches gets the world's up direction.
std::vector<float> smoothNormals(const std::vector<float>& positions, const std::vector<std::uint32_t>& indices);

// Scales each of the 3-float normals to unit length; one that has no length
// takes the smooth normal at its vertex instead.
void normaliseNormals(std::vector<float>& normals, const std::vector<float>& positions,
                      const std::vector<std::uint32_t>& indices);

// Each vertex's four largest influences of all joint/weight sets (4 per
// vertex in each set), weights scaled to sum to 1. Unused slots get joint 0
// and weight 0. Writes 4 joints and 4 weights per vertex.
void keepFourLargestInfluences(const std::vector<std::vector<std::uint16_t>>& jointSets,
                               const std::vector<std::vector<float>>& weightSets, std::size_t vertexCount,
                               std::vector<std::uint16_t>& joints, std::vector<float>& weights);
