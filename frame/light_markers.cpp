// Light markers: the 64 lights shown where they sit on the sky, drawn over the finished picture.
//
// They are drawn after the composite, into the window image: past bloom, exposure and tone mapping, so a marker keeps
// its size and colours whatever the exposure and never blooms, and the lit image stays free of them. The overlay text
// comes after, so the help stays readable over them. A marker shows a direction, like the sky, so objects do not hide
// it.
#include "frame/light_markers.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "environment/luminance.h"
#include "frame/scene_resources.h"
#include "gpu/projections.h"
#include "state/scene_state.h"

namespace {

// A marker's area grows with its light's energy: the brightest light's has
// this radius in pixels, the others down to the smallest (the median cut gives
// the lights of a map about equal energies, so most markers are alike).
constexpr float kLargestRadius = 7.0f;
constexpr float kSmallestRadius = 2.0f;
// Its colour tells the light's radiance (the mean of its region) on a
// logarithmic scale over this many decades below the most radiant light.
constexpr float kRadianceDecades = 3.0f;
// A black ring around each disc keeps it visible on a bright sky.
constexpr float kOutlineWidth = 1.5f;
constexpr int kDiscSegments = 20;
constexpr float kTwoPi = 6.28318531f;
// A marker's centre is placed this far from the eye along its direction:
// between the near and far planes, where the sky shows the direction too.
constexpr float kMarkerDistance = 10.0f;

struct Marker {
    float x = 0.0f, y = 0.0f;  // in the unit projection: 0 to 1 across the window image
    float radius = 0.0f;       // in pixels
    float radiance = 0.0f;     // 0 to 1 on the logarithmic scale, 1 for the most radiant light
};

// Column-major 4 x 4 matrix times the column p.
void transformPoint(const float* m, const float p[4], float out[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * p[3];
    }
}

// Where the eye sees the direction, in the unit projection; false behind the eye.
bool project(const float* modelView, const float* projection, const Vector3& eye, const Vector3& direction,
             Marker& marker) {
    const Vector3 point = eye + direction * kMarkerDistance;
    const float world[4] = {point.x, point.y, point.z, 1.0f};
    float view[4];
    float clip[4];
    transformPoint(modelView, world, view);
    transformPoint(projection, view, clip);
    if (clip[3] <= 0.0f) {
        return false;
    }
    marker.x = 0.5f * (clip[0] / clip[3] + 1.0f);
    marker.y = 0.5f * (clip[1] / clip[3] + 1.0f);
    return true;
}

// Dim lights blue, middle ones green to yellow, the most radiant red: the
// scale of lumivor-lights' picture.
void setRampColour(float level) {
    const float red = std::clamp(2.0f * level, 0.0f, 1.0f);
    const float green = 1.0f - std::abs(2.0f * level - 1.0f);
    const float blue = std::clamp(1.0f - 2.0f * level, 0.0f, 1.0f);
    glColor4f(red, green, blue, 1.0f);
}

// A filled disc of the radius in pixels, in the unit projection of a width x height image.
void drawDisc(const Marker& marker, float radius, int width, int height) {
    const float radiusX = radius / static_cast<float>(width);
    const float radiusY = radius / static_cast<float>(height);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(marker.x, marker.y);
    for (int i = 0; i <= kDiscSegments; ++i) {
        const float angle = kTwoPi * static_cast<float>(i) / static_cast<float>(kDiscSegments);
        glVertex2f(marker.x + radiusX * std::cos(angle), marker.y + radiusY * std::sin(angle));
    }
    glEnd();
}

}  // namespace

void renderLightMarkers() {
    const SceneState& state = sceneState();
    if (!state.showLightMarkers) {
        return;
    }
    const EnvironmentLights& lights = environmentLights();
    const SceneResources& resources = sceneResources();
    const int width = state.renderWidth;
    const int height = state.renderHeight;

    // The camera's view as the sky pass saw it (the supersampled size has the same aspect).
    float modelView[kMatrixFloats];
    float projection[kMatrixFloats];
    setPerspectiveProjection(width, height);
    camera().applyLookAt();
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    setUnitOrthoProjection(width, height);

    float energies[kMaxLights];
    float radiances[kMaxLights];
    float mostEnergy = 0.0f;
    float mostRadiance = 0.0f;
    for (int i = 0; i < lights.lightCount; ++i) {
        const Vector3& colour = lights.currentColours[i];
        energies[i] = lights.currentEnergies[i];
        radiances[i] = luminance(colour.x, colour.y, colour.z);
        mostEnergy = std::max(mostEnergy, energies[i]);
        mostRadiance = std::max(mostRadiance, radiances[i]);
    }
    // Lights that give no light (regions without pixels or black ones) get no marker.
    Marker markers[kMaxLights];
    int count = 0;
    for (int i = 0; i < lights.lightCount; ++i) {
        Marker& marker = markers[count];
        if (energies[i] > 0.0f &&
            project(modelView, projection, camera().position, resources.lightDirections[i], marker)) {
            marker.radius = std::max(kSmallestRadius, kLargestRadius * std::sqrt(energies[i] / mostEnergy));
            marker.radiance = std::clamp(1.0f + std::log10(radiances[i] / mostRadiance) / kRadianceDecades, 0.0f, 1.0f);
            ++count;
        }
    }
    // The most radiant last, so that they stay whole where markers overlap.
    std::sort(markers, markers + count, [](const Marker& a, const Marker& b) { return a.radiance < b.radiance; });

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    for (int i = 0; i < count; ++i) {
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        drawDisc(markers[i], markers[i].radius + kOutlineWidth, width, height);
        setRampColour(markers[i].radiance);
        drawDisc(markers[i], markers[i].radius, width, height);
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    // Leaves: the state the composite left (window framebuffer, no program, unit 0
    // active, the unit projection for W x H).
}
