// Light cut: each environment's leaves of the median cut, copied out of the tree before it is released.
#include "environment/light_cut.h"

#include <algorithm>

namespace {

LightCut cuts[kEnvironmentCount];

}  // namespace

LightCell lightCellOf(const LightRegion& leaf) {
    LightCell cell;
    cell.x0 = leaf.x0;
    cell.x1 = leaf.x1;
    cell.y0 = leaf.y0;
    cell.y1 = leaf.y1;
    cell.column = leaf.lightColumn;
    cell.row = leaf.lightRow;
    cell.colour = leaf.colour;
    return cell;
}

const LightCut& lightCut(int environment) { return cuts[environment]; }

LightCut lightCutOf(const std::vector<const LightRegion*>& leaves, int width, int height) {
    LightCut cut;
    cut.count = std::min(static_cast<int>(leaves.size()), kDefaultLightCount);
    for (int i = 0; i < cut.count; ++i) {
        cut.cells[i] = lightCellOf(*leaves[i]);
    }
    cut.width = width;
    cut.height = height;
    return cut;
}

void keepLightCut(int environment, const LightCut& cut) {
    const std::uint32_t revision = cuts[environment].revision;
    cuts[environment] = cut;
    cuts[environment].revision = revision + 1;
}

void recordLightCut(int environment, const std::vector<const LightRegion*>& leaves, int width, int height) {
    keepLightCut(environment, lightCutOf(leaves, width, height));
}
