// Ground light: the light of a map's lower part, which the directional lights leave out, as spherical harmonics.
#pragma once

#include "math/vector3.h"

// Coefficients of the real spherical harmonics of bands 0, 1 and 2.
constexpr int kGroundLightTerms = 9;

// The radiance of the part of a latitude-longitude map below the light
// extraction's first row (the ground and the band just above the horizon) in
// the real spherical-harmonic basis of bands 0 to 2, one RGB coefficient per
// basis function, in the map's own frame (y up). The basis, in this order:
// 1, x, y, z, xy, yz, xz, 3y^2 - 1, x^2 - z^2, each with its normalising
// constant.
struct GroundLight {
    Vector3 coefficients[kGroundLightTerms];
};

// Projects the rows below the extraction's first row of a width x height RGB
// float map (rows bottom first, as the extraction reads them) onto the basis,
// each pixel weighted by the solid angle it covers (its row weight times the
// horizon pixel's solid angle) and seen along the extraction's direction.
GroundLight projectGroundLight(const float* pixels, int width, int height);

// The diffuse irradiance the ground light gives a surface of unit normal n
// (in the map's frame) is the quadratic
//   E(n) = t0 + t1 x + t2 y + t3 z + t4 xy + t5 yz + t6 xz + t7 y^2 + t8 (x^2 - z^2):
// the coefficients convolved with the clamped cosine, basis constants folded in.
struct IrradianceTerms {
    Vector3 terms[kGroundLightTerms];
};
IrradianceTerms irradianceTerms(const GroundLight& light);
Vector3 groundIrradiance(const IrradianceTerms& terms, const Vector3& normal);
