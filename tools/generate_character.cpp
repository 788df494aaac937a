// Character generator: writes the rigged, animated mannequin "animation2.txt" (deterministic, no input files).
//
// The shape (skeleton and skinned surfaces), the motion (keyframes of every
// clip) and the writer live in tools/character_generator/.
#include <cstdio>
#include <vector>

#include "tools/character_generator/character_generator.h"

int main(int argc, char** argv) {
    using namespace character_generator;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\nWrites the rigged, animated character file.\n", argv[0]);
        return 2;
    }
    const std::vector<BoneDefinition> skeleton = makeSkeleton();
    const std::vector<Part> parts = makeParts();
    const std::vector<std::vector<WorldTransform>> frames = makeFrames(skeleton);

    std::FILE* file = std::fopen(argv[1], "w");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool complete = writeCharacter(file, parts, skeleton, frames);
    if (std::fclose(file) != 0 || !complete) {
        std::fprintf(stderr, "generate_character: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
