// Test helper: a glTF skin evaluated on the CPU in double precision, at one key of one stepped animation.
#pragma once

#include <tiny_gltf.h>

#include <array>
#include <vector>

using Point = std::array<double, 3>;

// An accessor's elements as numbers, component after component; float,
// unsigned byte, unsigned short and unsigned int components.
std::vector<double> accessorValues(const tinygltf::Model& gltf, int accessor);

// The key times of an animation (its first sampler's input).
std::vector<double> keyTimes(const tinygltf::Model& gltf, int animation);

// Each vertex of the primitive moved by the skin: the sum over its joints of
// weight x joint global matrix x inverse bind matrix x bind position, with the
// nodes posed by the animation at the time given (every channel stepped), or
// in their rest pose when the animation number is negative.
std::vector<Point> skinnedPositions(const tinygltf::Model& gltf, const tinygltf::Primitive& primitive, int skin,
                                    int animation, double time);
