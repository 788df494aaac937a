// Ground light: projection of a map's lower rows onto nine spherical harmonics, and the irradiance they give.
#include "environment/ground_light.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "environment/light_extractor.h"

namespace {

constexpr double kPiDouble = 3.14159265358979323846;

// Normalising constants of the real spherical harmonics: 1 / (2 sqrt(pi)),
// sqrt(3 / (4 pi)), sqrt(15 / (4 pi)), sqrt(5 / (16 pi)), sqrt(15 / (16 pi)).
constexpr double kBand0 = 0.28209479177387814;
constexpr double kBand1 = 0.48860251190291992;
constexpr double kBand2Products = 1.0925484305920792;
constexpr double kBand2Vertical = 0.31539156525252005;
constexpr double kBand2Horizontal = 0.54627421529603959;

// The clamped cosine's band factors: the irradiance of a band's radiance.
constexpr double kCosineBand0 = kPiDouble;
constexpr double kCosineBand1 = 2.0 * kPiDouble / 3.0;
constexpr double kCosineBand2 = kPiDouble / 4.0;

// One row's pixels summed against the azimuth functions the basis needs:
// 1, sin(phi), cos(phi), sin(2 phi), cos(2 phi), per channel.
struct AzimuthSums {
    double constant[kRgbChannels] = {};
    double sine[kRgbChannels] = {};
    double cosine[kRgbChannels] = {};
    double doubleSine[kRgbChannels] = {};
    double doubleCosine[kRgbChannels] = {};
};

}  // namespace

GroundLight projectGroundLight(const float* pixels, int width, int height) {
    GroundLight light;
    if (width <= 0 || height <= 0) {
        return light;
    }
    // The extraction's direction of column c: phi = pi (2c / W - 1), with
    // x = -sin(theta) sin(phi) and z = sin(theta) cos(phi).
    std::vector<double> sinPhi(width), cosPhi(width);
    for (int column = 0; column < width; ++column) {
        const double phi = kPiDouble * (2.0 * column / width - 1.0);
        sinPhi[column] = std::sin(phi);
        cosPhi[column] = std::cos(phi);
    }
    const int endRow = std::min(firstLightRow(height), height);
    const double horizonPixel = horizonPixelSolidAngle(width, height);
    double sums[kGroundLightTerms][kRgbChannels] = {};
    for (int row = 0; row < endRow; ++row) {
        AzimuthSums azimuth;
        const float* pixel = pixels + static_cast<size_t>(row) * width * kRgbChannels;
        for (int column = 0; column < width; ++column, pixel += kRgbChannels) {
            const double s = sinPhi[column], c = cosPhi[column];
            const double s2 = 2.0 * s * c, c2 = c * c - s * s;
            for (int k = 0; k < kRgbChannels; ++k) {
                azimuth.constant[k] += pixel[k];
                azimuth.sine[k] += pixel[k] * s;
                azimuth.cosine[k] += pixel[k] * c;
                azimuth.doubleSine[k] += pixel[k] * s2;
                azimuth.doubleCosine[k] += pixel[k] * c2;
            }
        }
        // theta = pi r / H from straight down: y = -cos(theta). The row's
        // pixels each cover w(r) = sin(theta) horizon pixels.
        const double theta = kPiDouble * row / height;
        const double st = std::sin(theta), ct = std::cos(theta);
        const double solidAngle = st * horizonPixel;
        for (int k = 0; k < kRgbChannels; ++k) {
            const double basis[kGroundLightTerms] = {
                kBand0 * azimuth.constant[k],
                -kBand1 * st * azimuth.sine[k],                                // x
                -kBand1 * ct * azimuth.constant[k],                            // y
                kBand1 * st * azimuth.cosine[k],                               // z
                kBand2Products * st * ct * azimuth.sine[k],                    // xy
                -kBand2Products * st * ct * azimuth.cosine[k],                 // yz
                -kBand2Products * 0.5 * st * st * azimuth.doubleSine[k],       // xz
                kBand2Vertical * (3.0 * ct * ct - 1.0) * azimuth.constant[k],  // 3y^2 - 1
                -kBand2Horizontal * st * st * azimuth.doubleCosine[k],         // x^2 - z^2
            };
            for (int term = 0; term < kGroundLightTerms; ++term) {
                sums[term][k] += basis[term] * solidAngle;
            }
        }
    }
    for (int term = 0; term < kGroundLightTerms; ++term) {
        light.coefficients[term] = Vector3(static_cast<float>(sums[term][0]), static_cast<float>(sums[term][1]),
                                           static_cast<float>(sums[term][2]));
    }
    return light;
}

IrradianceTerms irradianceTerms(const GroundLight& light) {
    const Vector3* l = light.coefficients;
    const auto scaled = [](const Vector3& v, double factor) { return v * static_cast<float>(factor); };
    IrradianceTerms out;
    // The constant of 3y^2 - 1 joins the constant term; its y^2 part is t7.
    out.terms[0] = scaled(l[0], kCosineBand0 * kBand0) - scaled(l[7], kCosineBand2 * kBand2Vertical);
    out.terms[1] = scaled(l[1], kCosineBand1 * kBand1);
    out.terms[2] = scaled(l[2], kCosineBand1 * kBand1);
    out.terms[3] = scaled(l[3], kCosineBand1 * kBand1);
    out.terms[4] = scaled(l[4], kCosineBand2 * kBand2Products);
    out.terms[5] = scaled(l[5], kCosineBand2 * kBand2Products);
    out.terms[6] = scaled(l[6], kCosineBand2 * kBand2Products);
    out.terms[7] = scaled(l[7], kCosineBand2 * kBand2Vertical * 3.0);
    out.terms[8] = scaled(l[8], kCosineBand2 * kBand2Horizontal);
    return out;
}

Vector3 groundIrradiance(const IrradianceTerms& irradiance, const Vector3& n) {
    const Vector3* t = irradiance.terms;
    return t[0] + t[1] * n.x + t[2] * n.y + t[3] * n.z + t[4] * (n.x * n.y) + t[5] * (n.y * n.z) + t[6] * (n.x * n.z) +
           t[7] * (n.y * n.y) + t[8] * (n.x * n.x - n.z * n.z);
}
