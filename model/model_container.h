// Model container: the outer layer of a glTF file (the binary header and chunks, or JSON text), checked before parsing.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ModelContainer { Binary, Json };

// The deepest nesting of JSON arrays and objects a file may have: the parser
// descends recursively, and a real glTF file nests a handful of levels.
constexpr int kMaxJsonDepth = 64;

// Checks the container and answers its kind; refuses the file (ModelError)
// when a binary file's header or chunk lengths do not fit in its size, when
// the text is not JSON, or when the JSON nests deeper than kMaxJsonDepth.
// usedSize: the bytes the parser may read (a binary file's own length).
ModelContainer checkModelContainer(const std::uint8_t* bytes, std::size_t size, std::size_t& usedSize);
