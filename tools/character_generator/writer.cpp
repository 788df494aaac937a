// The character file's writer: materials, one mesh per material with skin weights, the skeleton and its keyframes.
#include "tools/character_generator/character_generator.h"

namespace character_generator {

namespace {

// Writes the bone and its subtree; false when the skeleton table is not in
// the depth-first order that the file's numbering follows.
bool writeBone(std::FILE* file, const std::vector<BoneDefinition>& skeleton,
               const std::vector<std::vector<WorldTransform>>& frames, int bone, int& nextNumber) {
    if (bone != nextNumber++) {
        std::fprintf(stderr, "generate_character: bone %s is out of depth-first order\n", skeleton[bone].name);
        return false;
    }
    int children = 0;
    for (const BoneDefinition& other : skeleton) {
        children += other.parent == bone ? 1 : 0;
    }
    const Vector3& pivot = skeleton[bone].joint;
    std::fprintf(file, "%s %d\n1 0 0 0 %.7g %.7g %.7g\n", skeleton[bone].name, children, pivot.x, pivot.y, pivot.z);
    for (const std::vector<WorldTransform>& frame : frames) {
        const WorldTransform& t = frame[bone];
        std::fprintf(file, "%.7g %.7g %.7g %.7g %.7g %.7g %.7g\n", t.rotation.w, t.rotation.x, t.rotation.y,
                     t.rotation.z, t.joint.x, t.joint.y, t.joint.z);
    }
    for (int child = 0; child < static_cast<int>(skeleton.size()); ++child) {
        if (skeleton[child].parent == bone && !writeBone(file, skeleton, frames, child, nextNumber)) {
            return false;
        }
    }
    return true;
}

// Splits the parts into one mesh per material, each with its own vertices.
void writeMeshes(std::FILE* file, const std::vector<Part>& parts, const std::vector<BoneDefinition>& skeleton) {
    auto usesMaterial = [&](int material) {
        for (const Part& part : parts) {
            for (const Triangle& t : part.triangles) {
                if (t.material == material) {
                    return true;
                }
            }
        }
        return false;
    };
    int meshCount = 0;
    for (int material = 0; material < kMaterialCount; ++material) {
        meshCount += usesMaterial(material) ? 1 : 0;
    }
    std::fprintf(file, "%d\n", meshCount);
    for (int material = 0; material < kMaterialCount; ++material) {
        std::vector<const Vertex*> vertices;
        std::vector<int> indices;
        for (const Part& part : parts) {
            std::vector<int> remap(part.vertices.size(), -1);
            for (const Triangle& t : part.triangles) {
                if (t.material != material) {
                    continue;
                }
                for (int corner : {t.a, t.b, t.c}) {
                    if (remap[corner] < 0) {
                        remap[corner] = static_cast<int>(vertices.size());
                        vertices.push_back(&part.vertices[corner]);
                    }
                    indices.push_back(remap[corner]);
                }
            }
        }
        if (indices.empty()) {
            continue;
        }
        std::fprintf(file, "%d %zu\n", material, vertices.size());
        for (const Vertex* vertex : vertices) {
            std::fprintf(file, "%.6f %.6f %.6f %zu", vertex->position.x, vertex->position.y, vertex->position.z,
                         vertex->influences.size());
            for (const Influence& influence : vertex->influences) {
                std::fprintf(file, " %d %s %.6f", influence.bone, skeleton[influence.bone].name, influence.weight);
            }
            std::fputc('\n', file);
        }
        std::fprintf(file, "1\n");
        for (const Vertex* vertex : vertices) {
            std::fprintf(file, "%.6f %.6f %.6f\n", vertex->normal.x, vertex->normal.y, vertex->normal.z);
        }
        std::fprintf(file, "1\n");
        for (const Vertex* vertex : vertices) {
            std::fprintf(file, "%.4f %.4f\n", vertex->u, vertex->v);
        }
        std::fprintf(file, "%zu\n", indices.size() / 3);
        for (std::size_t i = 0; i < indices.size(); i += 3) {
            std::fprintf(file, "%d %d %d 0 0 0 0 0 0\n", indices[i], indices[i + 1], indices[i + 2]);
        }
    }
}

}  // namespace

bool writeCharacter(std::FILE* file, const std::vector<Part>& parts, const std::vector<BoneDefinition>& skeleton,
                    const std::vector<std::vector<WorldTransform>>& frames) {
    std::fprintf(file, "%d\n", kMaterialCount);
    for (const MaterialDefinition& m : kMaterials) {
        std::fprintf(file, "%s %.3f %.3f %.3f %.3f %.3f\n", m.name, m.red, m.green, m.blue, m.alpha, m.secondAlpha);
    }
    writeMeshes(file, parts, skeleton);
    std::fprintf(file, "%zu %d %d\n", frames.size(), kBoneCount, 1);
    int nextNumber = 0;
    return writeBone(file, skeleton, frames, kHips, nextNumber) && nextNumber == kBoneCount;
}

}  // namespace character_generator
