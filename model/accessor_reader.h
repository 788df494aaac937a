// Accessor reader: a glTF accessor (with its sparse part) into a plain array, every byte checked against its buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model_source.h"

// The number of components of an accessor type (SCALAR 1, VEC2 2, ... MAT4 16), 0 for one we do not read.
int accessorComponents(int accessorType);

// The accessor at index; refuses the file when there is none. use names the
// accessor's role in messages ("the POSITION of mesh 0, primitive 1").
const tinygltf::Accessor& accessorAt(const ModelSource& source, int index, const std::string& use);

// components floats per element. Any glTF component type: normalised
// integers become [0, 1] or [-1, 1], other integers keep their value. Every
// value must be finite. The accessor's type must have that many components.
std::vector<float> readFloats(const ModelSource& source, int index, int components, const std::string& use);

// Unsigned 8-, 16- or 32-bit scalars (vertex indices).
std::vector<std::uint32_t> readIndices(const ModelSource& source, int index, const std::string& use);

// Unsigned 8- or 16-bit four-component elements (joint numbers).
std::vector<std::uint16_t> readJoints(const ModelSource& source, int index, const std::string& use);

// The bytes of a whole buffer view (an embedded image), checked against its buffer.
const std::uint8_t* bufferViewBytes(const ModelSource& source, int view, std::size_t& size, const std::string& use);
