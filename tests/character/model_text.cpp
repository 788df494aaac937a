// ModelText: writes the token layout of a character file from small pieces.
#include "character/model_text.h"

std::string ModelText::text() const {
    std::string out = std::to_string(materials.size()) + "\n";
    for (const std::string& material : materials) out += material + "\n";
    out += std::to_string(meshes.size()) + "\n";
    for (const Mesh& mesh : meshes) {
        const std::size_t count = mesh.vertices.size();
        out +=
            std::to_string(mesh.material) + " " + (mesh.vertexCount.empty() ? std::to_string(count) : mesh.vertexCount);
        for (const std::string& vertex : mesh.vertices) out += "\n" + vertex;
        out += "\n7.5\n";
        for (std::size_t i = 0; i < count; ++i) out += (i < mesh.normals.size() ? mesh.normals[i] : "0 0 1") + "\n";
        out += "-3\n";
        for (std::size_t i = 0; i < count; ++i) out += "0.25 -17\n";
        out += (mesh.triangleCount.empty() ? std::to_string(mesh.triangles.size()) : mesh.triangleCount) + "\n";
        for (const std::string& triangle : mesh.triangles) out += triangle + " 1 2 3 4.5 -6 1e3\n";
    }
    out += header + "\n";
    for (const std::string& bone : bones) out += bone;
    return out;
}

std::string boneEntry(int children, const std::string& pivot, const std::string& keyframe, const std::string& rotation,
                      int frames) {
    std::string out = "bone " + std::to_string(children) + "\n" + rotation + "\n" + pivot + "\n";
    for (int frame = 0; frame < frames; ++frame) out += keyframe + "\n";
    return out;
}

ModelText singleTriangleModel() {
    ModelText model;
    model.meshes.push_back({0, {"0 0 0 1 0 root 1", "1 0 0 1 0 root 1", "0 1 0 1 0 root 1"}, {}, {"0 1 2"}, "", ""});
    model.header = "85 1 1";
    model.bones = {boneEntry(0)};
    return model;
}
