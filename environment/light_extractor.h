// LightExtractor: median cut of a latitude-longitude map's sky into directional lights.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "environment/light_region.h"
#include "math/vector3.h"

// Levels of the cut: 2^6 = 64 lights per map.
// R, G and B: the channels of a map's pixels and of the pictures drawn from them.
constexpr int kRgbChannels = 3;

constexpr int kLightTreeDepth = 6;
// Rows just above the horizon that take no part in the extraction.
constexpr int kHorizonSkipRows = 32;

// The lowest row of a map of this height that the lights stand for; the rows
// below it (the ground and the skipped band) are the ground light's.
inline int firstLightRow(int height) { return height / 2 + kHorizonSkipRows; }

// Where collectLights writes each light's measures besides its direction and
// colour; an array left null is not written.
struct LightMeasuresOut {
    float* solidAngles = nullptr;    // steradians its region covers
    Vector3* irradiances = nullptr;  // on a surface facing the light (R, G, B)
    float* energies = nullptr;       // the luminance of the irradiance
};

class LightExtractor {
public:
    // pixels: width x height RGB floats, rows bottom first without padding;
    // the buffer must stay valid until collectLights has returned.
    LightExtractor(const float* pixels, int width, int height);
    ~LightExtractor();
    LightExtractor(const LightExtractor&) = delete;
    LightExtractor& operator=(const LightExtractor&) = delete;

    // Builds the tree down to depthLimit; every region at that level becomes
    // a leaf with its colour and direction.
    void split(int depthLimit);
    // Writes each leaf's direction and colour (and the measures asked for),
    // left subtree first, at index count onward; room for 2^depthLimit
    // entries is the caller's.
    void collectLights(Vector3* directionsOut, Vector3* coloursOut, const LightMeasuresOut& measuresOut = {});
    // The leaves in the order collectLights writes them.
    std::vector<const LightRegion*> leaves() const;

    const LightRegion* rootRegion() const { return root.get(); }
    int lightsCollected() const { return count; }

private:
    struct ContributionTable;

    // Cuts a region whose energy is known in two and sums both children's
    // energies; rowEnds holds the region's running energy after each row.
    void cutRegion(LightRegion& region, const std::vector<float>& rowEnds, const ContributionTable& table,
                   std::vector<float>& leftRowEnds, std::vector<float>& rightRowEnds);
    // Sets a leaf's colour, light pixel and direction.
    void finishLeaf(LightRegion& region, const std::vector<float>& rowEnds, const ContributionTable& table);

    std::unique_ptr<LightRegion> root;
    std::int32_t depthLimit = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    const float* pixels = nullptr;
    std::int32_t count = 0;
};

// Direction toward the pixel in a width x height latitude-longitude map, y up:
// row 0 straight down; on the horizon row column 0 looks along -z and column
// width / 4 along +x. No half-pixel offset.
Vector3 lightDirection(int column, int row, int width, int height);

// Extracts kLightTreeDepth levels of lights from one map into the arrays
// (room for 64 entries each).
void extractLights(const float* pixels, int width, int height, Vector3* directionsOut, Vector3* coloursOut,
                   const LightMeasuresOut& measuresOut = {});

// Solid angle of one pixel on the horizon row of a width x height
// latitude-longitude map: 2 pi^2 / (width * height). A pixel of row r covers
// that times the row weight w(r), which the light colours already carry.
float horizonPixelSolidAngle(int width, int height);
