// LightExtractor: the median cut, computed in single precision in a fixed order so every map gives the same lights bit
// for bit.
#include "environment/light_extractor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "environment/luminance.h"

namespace {

constexpr float kPi = 3.1415927f;

// Cosine of the row's latitude, without a half-pixel offset.
float rowWeight(int row, int height) {
    return std::cos(kPi * (static_cast<float>(row) / static_cast<float>(height) - 0.5f));
}

float luminance(const float* pixel) { return ::luminance(pixel[0], pixel[1], pixel[2]); }

}  // namespace

// Every pixel is visited several times by the cut; its contribution
// e = w(r) * L is therefore computed once, by the very same expression, and
// every sum still adds the same values in the same order. Only the rows from
// the root up are tabled; a region reaching below them (possible only for a
// map holding NaNs) computes its contributions directly, with the same result.
struct LightExtractor::ContributionTable {
    const float* pixels = nullptr;
    int width = 0;
    int height = 0;
    int firstRow = 0;
    int rows = 0;
    // No contribution is negative or NaN: every running sum then only grows,
    // so a search for the first pixel at which a row-major sum reaches a value
    // can start from the row whose end sum reaches it.
    bool growing = true;
    std::unique_ptr<float[]> weights;
    std::unique_ptr<float[]> byRow;

    bool covers(const LightRegion& region) const { return region.y0 >= firstRow; }

    float weight(int row) const { return row >= firstRow ? weights[row - firstRow] : rowWeight(row, height); }

    float contribution(int column, int row) const {
        if (row >= firstRow) {
            return byRow[static_cast<size_t>(row - firstRow) * width + column];
        }
        return rowWeight(row, height) * luminance(pixels + kRgbChannels * (static_cast<size_t>(row) * width + column));
    }

    const float* row(int r) const { return byRow.get() + static_cast<size_t>(r - firstRow) * width; }

    void build(const float* source, int mapWidth, int mapHeight, int rootRow) {
        pixels = source;
        width = std::max(mapWidth, 0);
        height = mapHeight;
        firstRow = std::clamp(rootRow, 0, std::max(mapHeight, 0));
        rows = std::max(mapHeight, 0) - firstRow;
        const size_t cells = static_cast<size_t>(rows) * width;
        weights.reset(new float[std::max(rows, 1)]);
        byRow.reset(new float[std::max<size_t>(cells, 1)]);
        bool allGrowing = true;
        for (int r = 0; r < rows; ++r) {
            const float w = rowWeight(firstRow + r, height);
            weights[r] = w;
            const float* pixel = pixels + kRgbChannels * static_cast<size_t>(firstRow + r) * width;
            float* out = byRow.get() + static_cast<size_t>(r) * width;
            for (int x = 0; x < width; ++x) {
                out[x] = w * luminance(pixel + kRgbChannels * x);
                allGrowing &= out[x] >= 0.0f;
            }
        }
        growing = allGrowing;
    }

    // The region's energy, summed rows outer and columns inner; rowEnds gets
    // the running sum after each of its rows.
    float energy(const LightRegion& region, std::vector<float>& rowEnds) const {
        rowEnds.clear();
        float sum = 0.0f;
        for (int r = region.y0; r < region.y1; ++r) {
            if (covers(region)) {
                const float* values = row(r);
                for (int x = region.x0; x < region.x1; ++x) {
                    sum += values[x];
                }
            } else {
                for (int x = region.x0; x < region.x1; ++x) {
                    sum += contribution(x, r);
                }
            }
            rowEnds.push_back(sum);
        }
        return sum;
    }

    // The energies of two side-by-side regions over the same rows (the two
    // halves of a column cut), each summed in its own order; the two sums
    // advance together only so that the processor overlaps them.
    void sideBySideEnergies(LightRegion& left, LightRegion& right, std::vector<float>& leftRowEnds,
                            std::vector<float>& rightRowEnds) const {
        leftRowEnds.clear();
        rightRowEnds.clear();
        const int leftColumns = std::max(left.x1 - left.x0, 0);
        const int rightColumns = std::max(right.x1 - right.x0, 0);
        const int shared = std::min(leftColumns, rightColumns);
        float leftSum = 0.0f;
        float rightSum = 0.0f;
        for (int r = left.y0; r < left.y1; ++r) {
            const float* a = row(r) + left.x0;
            const float* b = row(r) + right.x0;
            for (int i = 0; i < shared; ++i) {
                leftSum += a[i];
                rightSum += b[i];
            }
            for (int i = shared; i < leftColumns; ++i) {
                leftSum += a[i];
            }
            for (int i = shared; i < rightColumns; ++i) {
                rightSum += b[i];
            }
            leftRowEnds.push_back(leftSum);
            rightRowEnds.push_back(rightSum);
        }
        left.energy = leftSum;
        right.energy = rightSum;
    }

    // The first pixel, rows outer and columns inner, at which the running sum
    // from 0 reaches target; false when none does.
    bool firstReaching(const LightRegion& region, const std::vector<float>& rowEnds, float target, int& column,
                       int& rowOut) const {
        int firstRowToScan = region.y0;
        float sum = 0.0f;
        if (growing && covers(region)) {
            const auto end = std::find_if(rowEnds.begin(), rowEnds.end(), [&](float s) { return s >= target; });
            if (end == rowEnds.end()) {
                return false;
            }
            const int skipped = static_cast<int>(end - rowEnds.begin());
            firstRowToScan = region.y0 + skipped;
            sum = skipped > 0 ? rowEnds[skipped - 1] : 0.0f;
        }
        for (int r = firstRowToScan; r < region.y1; ++r) {
            for (int x = region.x0; x < region.x1; ++x) {
                sum += covers(region) ? row(r)[x] : contribution(x, r);
                if (sum >= target) {
                    column = x;
                    rowOut = r;
                    return true;
                }
            }
        }
        return false;
    }

    // The first column, columns outer and rows inner, at which the running
    // sum from 0 reaches target; false when none does.
    bool firstColumnReaching(const LightRegion& region, float target, int& columnOut) const {
        float sum = 0.0f;
        for (int x = region.x0; x < region.x1; ++x) {
            if (covers(region)) {
                const float* values = byRow.get() + x;
                for (int r = region.y0 - firstRow; r < region.y1 - firstRow; ++r) {
                    sum += values[static_cast<size_t>(r) * width];
                    if (sum >= target) {
                        columnOut = x;
                        return true;
                    }
                }
            } else {
                for (int r = region.y0; r < region.y1; ++r) {
                    sum += contribution(x, r);
                    if (sum >= target) {
                        columnOut = x;
                        return true;
                    }
                }
            }
        }
        return false;
    }
};

namespace {

// A region waiting to be processed, its energy already summed; rowEnds holds
// the running energy sum after each of its rows.
struct PendingRegion {
    LightRegion* region;
    int level;
    std::vector<float> rowEnds;
};

}  // namespace

Vector3 lightDirection(int column, int row, int width, int height) {
    const float theta = kPi * static_cast<float>(row) / static_cast<float>(height);
    const float phi = kPi * (static_cast<float>(2 * column) / static_cast<float>(width) - 1.0f);
    return {-std::sin(theta) * std::sin(phi), -std::cos(theta), std::sin(theta) * std::cos(phi)};
}

LightExtractor::LightExtractor(const float* pixelBuffer, int mapWidth, int mapHeight)
    : root(std::make_unique<LightRegion>(0, mapWidth, firstLightRow(mapHeight), mapHeight)),
      width(mapWidth),
      height(mapHeight),
      pixels(pixelBuffer) {}

LightExtractor::~LightExtractor() {
    // Regions are released one by one rather than through nested destructors.
    std::vector<std::unique_ptr<LightRegion>> pending;
    pending.push_back(std::move(root));
    while (!pending.empty()) {
        std::unique_ptr<LightRegion> region = std::move(pending.back());
        pending.pop_back();
        if (region == nullptr) {
            continue;
        }
        pending.push_back(std::move(region->left));
        pending.push_back(std::move(region->right));
    }
}

void LightExtractor::split(int limit) {
    depthLimit = limit;
    ContributionTable table;
    table.build(pixels, width, height, root->y0);
    // An explicit stack in place of recursion, left child before right child.
    // Each region's energy is summed when it is created, so that the two
    // halves of a column cut can be summed side by side.
    std::vector<PendingRegion> pending(1);
    pending[0].region = root.get();
    pending[0].level = 0;
    root->energy = table.energy(*root, pending[0].rowEnds);
    while (!pending.empty()) {
        PendingRegion next = std::move(pending.back());
        pending.pop_back();
        if (next.level >= depthLimit) {
            finishLeaf(*next.region, next.rowEnds, table);
            continue;
        }
        PendingRegion left{nullptr, next.level + 1, {}};
        PendingRegion right{nullptr, next.level + 1, {}};
        cutRegion(*next.region, next.rowEnds, table, left.rowEnds, right.rowEnds);
        left.region = next.region->left.get();
        right.region = next.region->right.get();
        pending.push_back(std::move(right));
        pending.push_back(std::move(left));
    }
}

void LightExtractor::cutRegion(LightRegion& region, const std::vector<float>& rowEnds, const ContributionTable& table,
                               std::vector<float>& leftRowEnds, std::vector<float>& rightRowEnds) {
    const float centreWeight =
        std::cos(kPi * (static_cast<float>(region.y0 + region.y1) / static_cast<float>(2 * height) - 0.5f));
    const float half = region.energy * 0.5f;
    const int columns = region.x1 - region.x0;
    const int rows = region.y1 - region.y0;
    // If no pixel reaches half, as in a region without pixels, the cut is at 0.
    int cut = 0;
    if (static_cast<float>(rows) <= static_cast<float>(columns) * centreWeight) {
        const bool found = table.firstColumnReaching(region, half, cut);
        region.left = std::make_unique<LightRegion>(region.x0, cut, region.y0, region.y1);
        region.right = std::make_unique<LightRegion>(cut, region.x1, region.y0, region.y1);
        if (found && table.covers(region)) {
            table.sideBySideEnergies(*region.left, *region.right, leftRowEnds, rightRowEnds);
        } else {
            region.left->energy = table.energy(*region.left, leftRowEnds);
            region.right->energy = table.energy(*region.right, rightRowEnds);
        }
        return;
    }
    // The row-major search walks the rows in the order the energy was summed.
    int column = 0;
    const bool found = table.firstReaching(region, rowEnds, half, column, cut);
    region.left = std::make_unique<LightRegion>(region.x0, region.x1, region.y0, cut);
    region.right = std::make_unique<LightRegion>(region.x0, region.x1, cut, region.y1);
    if (found) {
        // The rows below the cut were summed in the very order the left child
        // sums them: its energy and row sums are those of the region so far.
        const int leftRows = cut - region.y0;
        leftRowEnds.assign(rowEnds.begin(), rowEnds.begin() + leftRows);
        region.left->energy = leftRows > 0 ? rowEnds[leftRows - 1] : 0.0f;
    } else {
        region.left->energy = table.energy(*region.left, leftRowEnds);
    }
    region.right->energy = table.energy(*region.right, rightRowEnds);
}

void LightExtractor::finishLeaf(LightRegion& region, const std::vector<float>& rowEnds,
                                const ContributionTable& table) {
    const int columns = region.x1 - region.x0;
    const float pixelCount = static_cast<float>(columns * (region.y1 - region.y0));
    // The colour terms w(r) * (P / N) of a row are computed first so that they
    // vectorise; the three sums then run side by side in their fixed order.
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    std::vector<float> terms(static_cast<size_t>(std::max(columns, 0)) * kRgbChannels);
    for (int r = region.y0; r < region.y1 && columns > 0; ++r) {
        const float w = table.weight(r);
        const float* source = pixels + kRgbChannels * (static_cast<size_t>(r) * width + region.x0);
        const int count = columns * kRgbChannels;
        for (int i = 0; i < count; ++i) {
            terms[i] = w * (source[i] / pixelCount);
        }
        for (int i = 0; i < count; i += kRgbChannels) {
            red += terms[i];
            green += terms[i + 1];
            blue += terms[i + 2];
        }
    }
    region.colour = Vector3(red, green, blue);

    // The light pixel is where the running energy reaches half the region's;
    // a leaf without one (no pixels) takes row 0, straight down.
    int lightColumn = 0;
    int lightRow = 0;
    if (!table.firstReaching(region, rowEnds, region.energy * 0.5f, lightColumn, lightRow)) {
        lightColumn = 0;
        lightRow = 0;
    }
    // The true solid angle sums the rows' weights; the irradiance uses the
    // pixel count, since the colour already carries the weights.
    const float horizonPixel = horizonPixelSolidAngle(width, height);
    float rowWeights = 0.0f;
    for (int r = region.y0; r < region.y1; ++r) {
        rowWeights += table.weight(r);
    }
    region.solidAngle = region.holdsPixels() ? rowWeights * static_cast<float>(columns) * horizonPixel : 0.0f;
    const float strength = region.holdsPixels() ? pixelCount * horizonPixel : 0.0f;
    region.irradiance = region.colour * strength;
    region.lightEnergy = luminance(&region.colour.x) * strength;
    region.lightColumn = lightColumn;
    region.lightRow = lightRow;
    region.direction = lightDirection(lightColumn, lightRow, width, height);
}

void LightExtractor::collectLights(Vector3* directionsOut, Vector3* coloursOut, const LightMeasuresOut& measuresOut) {
    for (const LightRegion* leaf : leaves()) {
        directionsOut[count] = leaf->direction;
        coloursOut[count] = leaf->colour;
        if (measuresOut.solidAngles != nullptr) {
            measuresOut.solidAngles[count] = leaf->solidAngle;
        }
        if (measuresOut.irradiances != nullptr) {
            measuresOut.irradiances[count] = leaf->irradiance;
        }
        if (measuresOut.energies != nullptr) {
            measuresOut.energies[count] = leaf->lightEnergy;
        }
        ++count;
    }
}

std::vector<const LightRegion*> LightExtractor::leaves() const {
    std::vector<const LightRegion*> found;
    std::vector<const LightRegion*> pending{root.get()};
    while (!pending.empty()) {
        const LightRegion* region = pending.back();
        pending.pop_back();
        if (region->isLeaf()) {
            found.push_back(region);
            continue;
        }
        pending.push_back(region->right.get());
        pending.push_back(region->left.get());
    }
    return found;
}

void extractLights(const float* pixels, int width, int height, Vector3* directionsOut, Vector3* coloursOut,
                   const LightMeasuresOut& measuresOut) {
    LightExtractor extractor(pixels, width, height);
    extractor.split(kLightTreeDepth);
    extractor.collectLights(directionsOut, coloursOut, measuresOut);
}

float horizonPixelSolidAngle(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0.0f;
    }
    return 2.0f * kPi * kPi / (static_cast<float>(width) * static_cast<float>(height));
}
