// Shadow simplification through meshoptimizer: welding by position, the error-bounded simplifier and its sloppy
// fallback.
#include "model/shadow_simplification.h"

#include <meshoptimizer.h>

namespace {

// One texel of a shadow map: the 11-unit box over 512 texels. A shadow that
// moves by less than this cannot be told from the full mesh's.
constexpr float kShadowTexel = 11.0f / 512.0f;
// The sloppy fallback is asked for the triangle count alone.
constexpr float kAnyError = 1.0f;
constexpr std::size_t kPositionBytes = 3 * sizeof(float);

}  // namespace

void simplifyForShadows(const std::vector<std::uint32_t>& indices, const std::vector<IndexRange>& ranges,
                        const float* positions, std::size_t vertexCount, std::size_t budget,
                        std::vector<std::uint32_t>& shadowIndices, std::vector<IndexRange>& shadowRanges) {
    std::vector<std::uint32_t> welded(indices.size());
    meshopt_generateShadowIndexBuffer(welded.data(), indices.data(), indices.size(), positions, vertexCount,
                                      kPositionBytes, kPositionBytes);
    const float extent = meshopt_simplifyScale(positions, vertexCount, kPositionBytes);
    const float relativeError = extent > 0.0f ? kShadowTexel / extent : 0.0f;

    const std::size_t triangles = indices.size() / 3;
    std::vector<std::uint32_t> reduced;
    for (const IndexRange& range : ranges) {
        const std::uint32_t* source = welded.data() + range.first;
        const std::size_t target = triangles > 0 ? budget * (range.count / 3) / triangles * 3 : 0;
        reduced.resize(range.count);
        std::size_t kept = meshopt_simplify(reduced.data(), source, range.count, positions, vertexCount, kPositionBytes,
                                            target, relativeError, 0, nullptr);
        if (kept > target) {
            kept = meshopt_simplifySloppy(reduced.data(), source, range.count, positions, vertexCount, kPositionBytes,
                                          target, kAnyError, nullptr);
        }
        shadowRanges.push_back({static_cast<std::uint32_t>(shadowIndices.size()), static_cast<std::uint32_t>(kept)});
        shadowIndices.resize(shadowIndices.size() + kept);
        // The simplifier leaves the triangles in no useful order: reordered
        // for the post-transform vertex cache, far fewer vertices are shaded.
        meshopt_optimizeVertexCache(shadowIndices.data() + shadowRanges.back().first, reduced.data(), kept,
                                    vertexCount);
    }
}
