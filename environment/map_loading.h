// Map loading: the steps that turn a map file into 2048 x 2048 pixels and 64 lights, run on a worker thread.
#pragma once

#include <memory>
#include <string>

#include "environment/environment_lights.h"
#include "environment/ground_light.h"
#include "environment/light_cut.h"
#include "platform/background_job.h"

// Every map is stretched to this many pixels in both directions.
constexpr int kEnvironmentMapSize = 2048;

// A stretched map's kEnvironmentMapSize^2 RGB floats, bottom row first,
// shared by the texture upload, the extraction and the copy kept for window
// re-creations; released with the last of them, on any thread.
using MapPixels = std::shared_ptr<const float>;

// A map ready for the main thread: its pixels for the texture and its lights.
struct LoadedMap {
    MapPixels pixels;  // null when the load failed
    Vector3 directions[kMaxLights];
    Vector3 colours[kMaxLights];
    float solidAngles[kMaxLights] = {};
    Vector3 irradiances[kMaxLights];
    float energies[kMaxLights] = {};
    GroundLight groundLight;  // the light of the rows below the lights
    LightCut cut;             // where each light came from in the map
    std::string cause;        // why the load failed, for the user
    bool cancelled = false;   // stopped between two steps; nothing else is set

    bool loaded() const { return pixels != nullptr; }
};

// Reads the file in chunks, checks its header and the memory its load needs
// against what is available (waiting while other loads hold it), decodes it,
// stretches it to the map size with the B-spline filter and extracts its
// lights. Between these steps, and between the chunks, it stops once
// cancelled is raised; a Radiance map's decoding stops at its next read.
// Nothing here touches GL or shared program state, so loads may run on
// several threads at once.
LoadedMap loadMap(const std::string& path, const CancelFlag& cancelled);

// The lights and ground light of a width x height map (RGB floats, bottom row
// first) and the cut they came from; map.pixels is left alone.
void extractMapLights(const float* pixels, int width, int height, LoadedMap& map);

// The lights of pixels kept from an earlier load, with the pixels.
LoadedMap extractMap(MapPixels pixels);
