// LightExtractor: the median cut, computed in single precision in a fixed order so every map gives the same lights bit for bit.
#include "environment/light_extractor.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kRedLuminance = 0.2125f;
constexpr float kGreenLuminance = 0.7154f;
constexpr float kBlueLuminance = 0.0721f;
constexpr int kChannels = 3;
// Rows per block when the contribution table is transposed.
constexpr int kTransposeBlock = 64;

// Cosine of the row's latitude, without a half-pixel offset.
float rowWeight(int row, int height) {
    return std::cos(kPi * (static_cast<float>(row) / static_cast<float>(height) - 0.5f));
}

float luminance(const float* pixel) {
    return kRedLuminance * pixel[0] + kGreenLuminance * pixel[1] + kBlueLuminance * pixel[2];
}

struct PendingRegion {
    LightRegion* region;
    int level;
    bool energyKnown;
};

}  // namespace

// Every pixel is visited several times by the cut; its contribution
// e = w(r) * L is therefore computed once, by the very same expression, and
// kept both row by row and column by column so that each search walks memory
// in order. Only the rows from the root up are tabled; a region reaching
// below them (possible only for a map holding NaNs) computes its
// contributions directly, with the same result.
struct LightExtractor::ContributionTable {
    const float* pixels = nullptr;
    int width = 0;
    int height = 0;
    int firstRow = 0;
    int rows = 0;
    std::unique_ptr<float[]> weights;
    std::unique_ptr<float[]> byRow;
    std::unique_ptr<float[]> byColumn;

    bool covers(const LightRegion& region) const { return region.y0 >= firstRow; }

    float weight(int row) const { return row >= firstRow ? weights[row - firstRow] : rowWeight(row, height); }

    float contribution(int column, int row) const {
        if (row >= firstRow) {
            return byRow[static_cast<size_t>(row - firstRow) * width + column];
        }
        return rowWeight(row, height) * luminance(pixels + kChannels * (static_cast<size_t>(row) * width + column));
    }

    const float* row(int r) const { return byRow.get() + static_cast<size_t>(r - firstRow) * width; }
    const float* column(int x) const { return byColumn.get() + static_cast<size_t>(x) * rows - firstRow; }

    void build(const float* source, int mapWidth, int mapHeight, int rootRow) {
        pixels = source;
        width = std::max(mapWidth, 0);
        height = mapHeight;
        firstRow = std::clamp(rootRow, 0, std::max(mapHeight, 0));
        rows = std::max(mapHeight, 0) - firstRow;
        const size_t cells = static_cast<size_t>(rows) * width;
        weights.reset(new float[std::max(rows, 1)]);
        byRow.reset(new float[std::max<size_t>(cells, 1)]);
        byColumn.reset(new float[std::max<size_t>(cells, 1)]);
        for (int r = 0; r < rows; ++r) {
            const float w = rowWeight(firstRow + r, height);
            weights[r] = w;
            const float* pixel = pixels + kChannels * static_cast<size_t>(firstRow + r) * width;
            float* out = byRow.get() + static_cast<size_t>(r) * width;
            for (int x = 0; x < width; ++x) {
                out[x] = w * luminance(pixel + kChannels * x);
            }
        }
        for (int blockRow = 0; blockRow < rows; blockRow += kTransposeBlock) {
            const int blockEnd = std::min(rows, blockRow + kTransposeBlock);
            for (int x = 0; x < width; ++x) {
                float* out = byColumn.get() + static_cast<size_t>(x) * rows;
                for (int r = blockRow; r < blockEnd; ++r) {
                    out[r] = byRow[static_cast<size_t>(r) * width + x];
                }
            }
        }
    }
};

Vector3 lightDirection(int column, int row, int width, int height) {
    const float theta = kPi * static_cast<float>(row) / static_cast<float>(height);
    const float phi = kPi * (static_cast<float>(2 * column) / static_cast<float>(width) - 1.0f);
    return {-std::sin(theta) * std::sin(phi), -std::cos(theta), std::sin(theta) * std::cos(phi)};
}

LightExtractor::LightExtractor(const float* pixelBuffer, int mapWidth, int mapHeight)
    : root(std::make_unique<LightRegion>(0, mapWidth, mapHeight / 2 + kHorizonSkipRows, mapHeight)),
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
    // An explicit stack in place of recursion: left child before right child.
    std::vector<PendingRegion> pending{{root.get(), 0, false}};
    while (!pending.empty()) {
        const PendingRegion next = pending.back();
        pending.pop_back();
        const bool leftEnergyKnown = processRegion(*next.region, next.level, next.energyKnown, table);
        if (!next.region->isLeaf()) {
            pending.push_back({next.region->right.get(), next.level + 1, false});
            pending.push_back({next.region->left.get(), next.level + 1, leftEnergyKnown});
        }
    }
}

bool LightExtractor::processRegion(LightRegion& region, int level, bool energyKnown, const ContributionTable& table) {
    const float centreWeight = std::cos(
        kPi * (static_cast<float>(region.y0 + region.y1) / static_cast<float>(2 * height) - 0.5f));
    const bool tabled = table.covers(region);

    if (level >= depthLimit) {
        finishLeaf(region, energyKnown, table);
        return false;
    }
    if (!energyKnown) {
        float energy = 0.0f;
        for (int r = region.y0; r < region.y1; ++r) {
            if (tabled) {
                const float* row = table.row(r);
                for (int x = region.x0; x < region.x1; ++x) {
                    energy += row[x];
                }
            } else {
                for (int x = region.x0; x < region.x1; ++x) {
                    energy += table.contribution(x, r);
                }
            }
        }
        region.energy = energy;
    }

    const float half = region.energy * 0.5f;
    const int columns = region.x1 - region.x0;
    const int rows = region.y1 - region.y0;
    const bool columnCut = static_cast<float>(rows) <= static_cast<float>(columns) * centreWeight;
    int cut = 0;
    bool leftEnergyKnown = false;
    float leftEnergy = 0.0f;
    float sum = 0.0f;
    if (columnCut) {
        for (int x = region.x0; x < region.x1; ++x) {
            bool reached = false;
            if (tabled) {
                const float* column = table.column(x);
                for (int r = region.y0; r < region.y1 && !reached; ++r) {
                    sum += column[r];
                    reached = sum >= half;
                }
            } else {
                for (int r = region.y0; r < region.y1 && !reached; ++r) {
                    sum += table.contribution(x, r);
                    reached = sum >= half;
                }
            }
            if (reached) {
                cut = x;
                break;
            }
        }
        region.left = std::make_unique<LightRegion>(region.x0, cut, region.y0, region.y1);
        region.right = std::make_unique<LightRegion>(cut, region.x1, region.y0, region.y1);
    } else {
        for (int r = region.y0; r < region.y1; ++r) {
            // The rows below the cut are summed in the very order the left
            // child would sum them, so its energy is the sum at the cut row.
            const float rowStart = sum;
            bool reached = false;
            for (int x = region.x0; x < region.x1 && !reached; ++x) {
                sum += tabled ? table.row(r)[x] : table.contribution(x, r);
                reached = sum >= half;
            }
            if (reached) {
                cut = r;
                leftEnergyKnown = true;
                leftEnergy = rowStart;
                break;
            }
        }
        region.left = std::make_unique<LightRegion>(region.x0, region.x1, region.y0, cut);
        region.right = std::make_unique<LightRegion>(region.x0, region.x1, cut, region.y1);
    }
    if (leftEnergyKnown) {
        region.left->energy = leftEnergy;
    }
    return leftEnergyKnown;
}

void LightExtractor::finishLeaf(LightRegion& region, bool energyKnown, const ContributionTable& table) {
    const int columns = region.x1 - region.x0;
    const float pixelCount = static_cast<float>(columns * (region.y1 - region.y0));
    const bool tabled = table.covers(region);
    // Energy and colour are independent sums over the same pixels in the same
    // order, taken in one sweep; the colour terms w(r) * (P / N) of a row are
    // computed first so that they vectorise.
    float energy = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    std::vector<float> terms(static_cast<size_t>(std::max(columns, 0)) * kChannels);
    for (int r = region.y0; r < region.y1 && columns > 0; ++r) {
        const float w = table.weight(r);
        const float* source = pixels + kChannels * (static_cast<size_t>(r) * width + region.x0);
        const int count = columns * kChannels;
        for (int i = 0; i < count; ++i) {
            terms[i] = w * (source[i] / pixelCount);
        }
        const float* row = tabled ? table.row(r) : nullptr;
        for (int x = region.x0, i = 0; x < region.x1; ++x, i += kChannels) {
            red += terms[i];
            green += terms[i + 1];
            blue += terms[i + 2];
            energy += tabled ? row[x] : table.contribution(x, r);
        }
    }
    if (!energyKnown) {
        region.energy = energy;
    }
    region.colour = Vector3(red, green, blue);

    // The light pixel is where the running energy reaches half the region's.
    const float half = region.energy * 0.5f;
    int lightColumn = 0;
    int lightRow = 0;
    float sum = 0.0f;
    bool reached = false;
    for (int r = region.y0; r < region.y1 && !reached; ++r) {
        for (int x = region.x0; x < region.x1; ++x) {
            sum += tabled ? table.row(r)[x] : table.contribution(x, r);
            if (sum >= half) {
                lightColumn = x;
                lightRow = r;
                reached = true;
                break;
            }
        }
    }
    region.lightColumn = lightColumn;
    region.lightRow = lightRow;
    region.direction = lightDirection(lightColumn, lightRow, width, height);
}

void LightExtractor::collectLights(Vector3* directionsOut, Vector3* coloursOut) {
    for (const LightRegion* leaf : leaves()) {
        directionsOut[count] = leaf->direction;
        coloursOut[count] = leaf->colour;
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

void extractLights(const float* pixels, int width, int height, Vector3* directionsOut, Vector3* coloursOut) {
    LightExtractor extractor(pixels, width, height);
    extractor.split(kLightTreeDepth);
    extractor.collectLights(directionsOut, coloursOut);
}
