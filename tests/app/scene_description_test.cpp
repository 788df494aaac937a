// The lit-image dump's text files and names: the scene's JSON and the character's OBJ.
#include <gtest/gtest.h>

#include <sstream>

#include "app/lit_dump.h"
#include "app/scene_description.h"

namespace {

// A mesh of one triangle over three vertices at x = first, first + 1, first + 2.
SkinnedMesh triangleMesh(float first, int material) {
    SkinnedMesh mesh;
    mesh.vertexCount = 3;
    mesh.triangleCount = 1;
    mesh.indices = {0, 1, 2};
    mesh.materialIndex = material;
    for (int v = 0; v < 3; ++v) {
        mesh.skinnedPositions.insert(mesh.skinnedPositions.end(), {first + v, 0.0f, 0.0f, 1.0f});
        mesh.skinnedNormals.insert(mesh.skinnedNormals.end(), {0.0f, 2.0f, 0.0f});
    }
    return mesh;
}

// The lines of text that start with the prefix.
std::vector<std::string> linesStarting(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    std::vector<std::string> found;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
}

}  // namespace

TEST(LitDumpTest, TheOtherFilesAreNamedAfterTheImage) {
    const LitDumpFiles files = litDumpFiles("out/frame.exr");
    EXPECT_EQ(files.unshadowedImage, "out/frame-unshadowed.exr");
    EXPECT_EQ(files.description, "out/frame.json");
    EXPECT_EQ(files.mesh, "out/frame.obj");
}

TEST(SceneDescriptionTest, ObjFacesOfEveryMeshPointAtItsOwnVerticesCountedFromOne) {
    SkinnedModel model;
    model.meshes.push_back(triangleMesh(0.0f, 2));
    model.meshes.push_back(triangleMesh(10.0f, 0));
    const std::string obj = skinnedModelObj(model);
    EXPECT_EQ(linesStarting(obj, "f "), (std::vector<std::string>{"f 1//1 2//2 3//3", "f 4//4 5//5 6//6"}));
    EXPECT_EQ(linesStarting(obj, "v ")[3], "v 10 0 0");
    EXPECT_EQ(linesStarting(obj, "usemtl "), (std::vector<std::string>{"usemtl material2", "usemtl material0"}));
}

TEST(SceneDescriptionTest, JsonStringsEscapeQuotesBackslashesAndControlCharacters) {
    SceneDescription scene;
    scene.environmentFile = "maps/\"sky\"\\\tnight.hdr";
    const std::string json = sceneDescriptionJson(scene);
    EXPECT_NE(json.find("\"file\": \"maps/\\\"sky\\\"\\\\\\u0009night.hdr\""), std::string::npos) << json;
}
