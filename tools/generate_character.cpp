// Character generator: writes the rigged, animated mannequin "animation2.txt" and, optionally, the same as glTF.
//
// The shape (skeleton and skinned surfaces), the motion (keyframes of every
// clip) and the writers live in tools/character_generator/. The glTF file is
// written from the character file as the program reads it back, so the two
// can never describe different characters.
#include <cstdio>
#include <string>
#include <vector>

#include "character/skinned_model.h"
#include "platform/file_bytes.h"
#include "tools/character_generator/character_generator.h"

namespace {

using namespace character_generator;

bool writeCharacterFile(const char* path, const std::vector<BoneDefinition>& skeleton) {
    const std::vector<Part> parts = makeParts();
    const std::vector<std::vector<WorldTransform>> frames = makeFrames(skeleton);
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        std::perror(path);
        return false;
    }
    const bool complete = writeCharacter(file, parts, skeleton, frames);
    if (std::fclose(file) != 0 || !complete) {
        std::fprintf(stderr, "generate_character: could not write %s\n", path);
        return false;
    }
    return true;
}

bool writeGltfFile(const char* path, const char* characterPath, const std::vector<BoneDefinition>& skeleton) {
    std::string text;
    SkinnedModel model;
    if (!readFileBytes(characterPath, text)) {
        std::fprintf(stderr, "generate_character: could not read %s back\n", characterPath);
        return false;
    }
    if (!model.loadFromText(text.data(), text.size(), characterPath)) {
        return false;
    }
    CharacterNames names;
    for (const BoneDefinition& bone : skeleton) names.bones.push_back(bone.name);
    for (const MaterialDefinition& material : kMaterials) names.materials.push_back(material.name);
    return writeMannequinGltf(path, model, names);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr,
                     "usage: %s CHARACTER [GLTF]\nWrites the rigged, animated character file, and the same "
                     "character as a binary glTF 2.0 file (.glb) when GLTF is given.\n",
                     argv[0]);
        return 2;
    }
    const std::vector<BoneDefinition> skeleton = makeSkeleton();
    if (!writeCharacterFile(argv[1], skeleton)) {
        return 1;
    }
    if (argc == 3 && !writeGltfFile(argv[2], argv[1], skeleton)) {
        return 1;
    }
    return 0;
}
