// Shadow simplification: a coarser index list over the same vertices for a model too detailed to draw 64 times a
// frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A run of indices, three per triangle.
struct IndexRange {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

// The most triangles the shadow maps draw of a user's model.
constexpr std::size_t kShadowTriangleBudget = 8000;

// Reduces each range of indices in proportion to its share of the triangles, so
// that together they keep at most budget triangles, and appends the results to
// shadowIndices with their ranges in shadowRanges. Vertices at the same position
// are first welded (texture seams do not matter to a shadow); the simplifier
// may then move the surface by up to one shadow-map texel, and where that is
// not enough to reach the budget a sloppy simplifier, which ignores the
// topology, takes over. The indices still refer to the same vertices, so the
// skinning stays shared. positions: 3 floats per vertex, where the model
// stands at load.
void simplifyForShadows(const std::vector<std::uint32_t>& indices, const std::vector<IndexRange>& ranges,
                        const float* positions, std::size_t vertexCount, std::size_t budget,
                        std::vector<std::uint32_t>& shadowIndices, std::vector<IndexRange>& shadowRanges);
