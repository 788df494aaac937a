// Model container: the outer layer of a glTF file (the binary header and chunks, or JSON text), checked before parsing.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ModelContainer { Binary, Json };

// The deepest nesting of JSON arrays and objects a file may have: the parser
// descends recursively, and a real glTF file nests a handful of levels.
constexpr int kMaxJsonDepth = 64;

struct ContainerShape {
    ModelContainer kind = ModelContainer::Json;
    std::size_t usedSize = 0;  // the bytes the parser may read (a binary file's own length)
    // What the parser will build from the JSON, for the memory estimate.
    std::uint64_t jsonObjects = 0;
    std::uint64_t jsonStructureBytes = 0;  // outside strings: numbers, punctuation, blanks
    std::uint64_t jsonStringBytes = 0;
};

// Checks the container and answers its shape; refuses the file (ModelError)
// when a binary file's header or chunk lengths do not fit in its size, when
// the text is not JSON, or when the JSON nests deeper than kMaxJsonDepth.
ContainerShape checkModelContainer(const std::uint8_t* bytes, std::size_t size);
