// Lit-image dump: float OpenEXR images through FreeImage, the scene's JSON description and the character's OBJ.
#include "app/lit_dump.h"

#include <FreeImage.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/scene_description.h"
#include "camera/camera.h"
#include "character/skinned_model.h"
#include "environment/environment_lights.h"
#include "environment/environment_sources.h"
#include "frame/lit_image.h"
#include "frame/scene_objects.h"
#include "gpu/projections.h"
#include "state/scene_state.h"

namespace {

const char* const kExrEnding = ".exr";

bool writeExr(const LitImage& image, const std::string& path) {
    FIBITMAP* bitmap = FreeImage_AllocateT(FIT_RGBF, image.width, image.height);
    if (bitmap == nullptr) {
        std::fprintf(stderr, "lumivor: no memory for a %dx%d image for %s\n", image.width, image.height, path.c_str());
        return false;
    }
    // Both keep the bottom row first.
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3 * sizeof(float);
    for (int row = 0; row < image.height; ++row) {
        std::memcpy(FreeImage_GetScanLine(bitmap, row), &image.rgb[static_cast<std::size_t>(row) * image.width * 3],
                    rowBytes);
    }
    const bool saved = FreeImage_Save(FIF_EXR, bitmap, path.c_str(), EXR_FLOAT | EXR_ZIP) != 0;
    FreeImage_Unload(bitmap);
    if (!saved) {
        std::fprintf(stderr, "lumivor: could not write the lit image %s\n", path.c_str());
    }
    return saved;
}

bool writeText(const std::string& text, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) {
        written = std::fclose(file) == 0 && written;
    }
    if (!written) {
        std::fprintf(stderr, "lumivor: could not write %s\n", path.c_str());
    }
    return written;
}

SceneDescription describeScene(const LitDumpFiles& files, const LitImage& image) {
    const SceneState& state = sceneState();
    const Camera& viewer = camera();
    const EnvironmentLights& lights = environmentLights();
    const SkinnedModel& model = skinnedModel();
    SceneDescription scene;
    scene.width = image.width;
    scene.height = image.height;
    scene.supersampling = state.supersampling;
    scene.eye = viewer.position;
    scene.target = viewer.view;
    scene.up = viewer.up;
    scene.fieldOfViewDegrees = kFieldOfViewDegrees;
    scene.nearPlane = kNearPlane;
    scene.farPlane = kFarPlane;
    scene.environment = lights.currentEnvironment + 1;
    std::error_code error;
    const std::filesystem::path map = environmentFile(lights.currentEnvironment);
    const std::filesystem::path absoluteMap = std::filesystem::absolute(map, error);
    scene.environmentFile = (error ? map : absoluteMap).string();
    scene.rotationDegrees = state.environmentRotation[lights.currentEnvironment];
    scene.lightingMode = state.lightingProgram == kImageBasedLightingProgram ? "ibl" : "ao";
    scene.exposure = state.exposure;
    scene.groundHalfSize = state.groundHalfSize;
    const float radius = static_cast<float>(kSphereRadius);
    scene.spheres = {
        {"movable", state.spherePosition, radius, kMovableSphereSurface.colourAlpha, kMovableSphereSurface.normalAlpha},
        {"left", kLeftSpherePosition, radius, kLeftSphereSurface.colourAlpha, kLeftSphereSurface.normalAlpha},
        {"back", kBackSpherePosition, radius, kBackSphereSurface.colourAlpha, kBackSphereSurface.normalAlpha},
        {"hidden", Vector3(), radius * kHiddenSphereScale, 0.0f, 0.0f, false},
    };
    scene.animationClip = model.currentClip;
    scene.animationFrame = model.currentFrame;
    scene.materials = model.materials;
    scene.image = std::filesystem::path(files.image).filename().string();
    scene.unshadowedImage = std::filesystem::path(files.unshadowedImage).filename().string();
    scene.mesh = std::filesystem::path(files.mesh).filename().string();
    return scene;
}

}  // namespace

LitDumpFiles litDumpFiles(const std::string& path) {
    const std::size_t ending = std::strlen(kExrEnding);
    const bool hasEnding = path.size() > ending && path.compare(path.size() - ending, ending, kExrEnding) == 0;
    const std::string stem = hasEnding ? path.substr(0, path.size() - ending) : path;
    return {path, stem + "-unshadowed" + kExrEnding, stem + ".json", stem + ".obj"};
}

bool dumpLitImage(const std::string& path) {
    const LitDumpFiles files = litDumpFiles(path);
    const LitImage image = readLitImage();
    if (!writeExr(image, files.image)) {
        return false;
    }
    const bool written = writeExr(renderUnshadowedLitImage(), files.unshadowedImage) &&
                         writeText(sceneDescriptionJson(describeScene(files, image)), files.description) &&
                         writeText(skinnedModelObj(skinnedModel()), files.mesh);
    if (written) {
        std::fprintf(stderr, "lumivor: lit image saved to %s\n", files.image.c_str());
    }
    return written;
}
