// Scene description of a frame for a reference renderer: camera, spheres, ground, map and the character's pose.
#pragma once

#include <string>
#include <vector>

#include "character/skinned_model.h"
#include "math/vector3.h"

struct SphereDescription {
    std::string name;
    Vector3 centre;
    float radius = 0.0f;
    float colourAlpha = 0.0f;  // the mirror weight above one half
    float normalAlpha = 0.0f;  // glossiness
    bool seen = true;          // false: it only casts a shadow
};

struct SceneDescription {
    int width = 0;  // of the dumped images
    int height = 0;
    int supersampling = 1;
    Vector3 eye;
    Vector3 target;  // the point looked at
    Vector3 up;
    double fieldOfViewDegrees = 0.0;  // vertical
    double nearPlane = 0.0;
    double farPlane = 0.0;
    int environment = 0;           // 1, 2 or 3, as the keys number them
    std::string environmentFile;   // absolute
    float rotationDegrees = 0.0f;  // the environment's turn about the vertical
    std::string lightingMode;      // "ibl" or "ao"
    float exposure = 0.0f;
    float groundHalfSize = 0.0f;
    std::vector<SphereDescription> spheres;
    int animationClip = 0;
    int animationFrame = 0;
    std::vector<Material> materials;
    // Names of the files beside the description.
    std::string image;
    std::string unshadowedImage;
    std::string mesh;
};

// The description as JSON; numbers are written so that floats read back exactly.
std::string sceneDescriptionJson(const SceneDescription& scene);

// The model's skinned triangles in the pose of its last step, as Wavefront
// OBJ: positions and normals in world units, one group per mesh with
// "usemtl material<N>", N the mesh's index into the materials.
std::string skinnedModelObj(const SkinnedModel& model);
