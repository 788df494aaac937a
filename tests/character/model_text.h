// ModelText: builds small character files in the model format for the character tests.
#pragma once

#include <string>
#include <vector>

struct ModelText {
    struct Mesh {
        int material = 0;
        std::vector<std::string> vertices;   // "x y z count bone name weight ..."
        std::vector<std::string> normals;    // "nx ny nz"; missing ones are "0 0 1"
        std::vector<std::string> triangles;  // "a b c"; six extra reals are appended
        std::string vertexCount;             // replaces the counted value when set
        std::string triangleCount;
    };
    std::vector<std::string> materials = {"matte 1 0.5 0.25 0.5 0"};
    std::vector<Mesh> meshes;
    std::string header;              // "frames bones roots"
    std::vector<std::string> bones;  // complete bone entries in file order

    std::string text() const;
};

// A bone entry whose keyframes all read `keyframe` (rotation w x y z, translation).
std::string boneEntry(int children, const std::string& pivot = "0 0 0", const std::string& keyframe = "1 0 0 0 0 0 0",
                      const std::string& rotation = "1 0 0 0", int frames = 85);

// One material, one triangle of three vertices bound to bone 0, one bone.
ModelText singleTriangleModel();
