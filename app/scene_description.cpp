// Scene description writers: the frame's scene as JSON and the character's skinned triangles as OBJ.
#include "app/scene_description.h"

#include <cstdio>

namespace {

// Nine significant digits bring a single-precision float back unchanged.
std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string vector(const Vector3& v) { return "[" + number(v.x) + ", " + number(v.y) + ", " + number(v.z) + "]"; }

// A JSON string: quotes, backslashes and control characters escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string sceneDescriptionJson(const SceneDescription& scene) {
    std::string json = "{\n";
    json += "  \"image\": " + quoted(scene.image) + ",\n";
    json += "  \"unshadowedImage\": " + quoted(scene.unshadowedImage) + ",\n";
    json += "  \"mesh\": " + quoted(scene.mesh) + ",\n";
    json += "  \"width\": " + std::to_string(scene.width) + ",\n";
    json += "  \"height\": " + std::to_string(scene.height) + ",\n";
    json += "  \"supersampling\": " + std::to_string(scene.supersampling) + ",\n";
    json += "  \"camera\": {\"eye\": " + vector(scene.eye) + ", \"target\": " + vector(scene.target) +
            ", \"up\": " + vector(scene.up) + ",\n";
    json += "             \"verticalFieldOfViewDegrees\": " + number(scene.fieldOfViewDegrees) +
            ", \"near\": " + number(scene.nearPlane) + ", \"far\": " + number(scene.farPlane) + "},\n";
    json += "  \"environment\": {\"key\": " + std::to_string(scene.environment) +
            ", \"file\": " + quoted(scene.environmentFile) + ", \"rotationDegrees\": " + number(scene.rotationDegrees) +
            "},\n";
    json += "  \"lightingMode\": " + quoted(scene.lightingMode) + ",\n";
    json += "  \"exposure\": " + number(scene.exposure) + ",\n";
    json += "  \"ground\": {\"halfSize\": " + number(scene.groundHalfSize) + "},\n";
    json += "  \"spheres\": [\n";
    for (std::size_t i = 0; i < scene.spheres.size(); ++i) {
        const SphereDescription& s = scene.spheres[i];
        json += "    {\"name\": " + quoted(s.name) + ", \"centre\": " + vector(s.centre) +
                ", \"radius\": " + number(s.radius) + ", \"colourAlpha\": " + number(s.colourAlpha) +
                ", \"normalAlpha\": " + number(s.normalAlpha) + ", \"seen\": " + (s.seen ? "true" : "false") + "}" +
                (i + 1 < scene.spheres.size() ? ",\n" : "\n");
    }
    json += "  ],\n";
    json += "  \"character\": {\"clip\": " + std::to_string(scene.animationClip) +
            ", \"frame\": " + std::to_string(scene.animationFrame) + ", \"materials\": [\n";
    for (std::size_t i = 0; i < scene.materials.size(); ++i) {
        const Material& m = scene.materials[i];
        json += "    {\"colour\": " + vector(Vector3(m.red, m.green, m.blue)) + ", \"alpha\": " + number(m.alpha) +
                ", \"secondAlpha\": " + number(m.secondAlpha) + "}" + (i + 1 < scene.materials.size() ? ",\n" : "\n");
    }
    json += "  ]}\n}\n";
    return json;
}

std::string skinnedModelObj(const SkinnedModel& model) {
    std::string obj = "# Lumivor's character, skinned at clip " + std::to_string(model.currentClip) + ", frame " +
                      std::to_string(model.currentFrame) + "\n";
    int firstVertex = 1;  // OBJ counts vertices from 1 across the whole file
    for (std::size_t meshIndex = 0; meshIndex < model.meshes.size(); ++meshIndex) {
        const SkinnedMesh& mesh = model.meshes[meshIndex];
        obj += "g mesh" + std::to_string(meshIndex) + "\nusemtl material" + std::to_string(mesh.materialIndex) + "\n";
        for (int v = 0; v < mesh.vertexCount; ++v) {
            const float* p = &mesh.skinnedPositions[static_cast<std::size_t>(v) * 4];
            obj += "v " + number(p[0]) + " " + number(p[1]) + " " + number(p[2]) + "\n";
        }
        for (int v = 0; v < mesh.vertexCount; ++v) {
            const float* n = &mesh.skinnedNormals[static_cast<std::size_t>(v) * 3];
            obj += "vn " + number(n[0]) + " " + number(n[1]) + " " + number(n[2]) + "\n";
        }
        for (int t = 0; t < mesh.triangleCount; ++t) {
            obj += "f";
            for (int corner = 0; corner < 3; ++corner) {
                const std::string index =
                    std::to_string(firstVertex + mesh.indices[static_cast<std::size_t>(t) * 3 + corner]);
                obj += " " + index + "//" + index;
            }
            obj += "\n";
        }
        firstVertex += mesh.vertexCount;
    }
    return obj;
}
