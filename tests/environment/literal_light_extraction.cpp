// Literal median cut: recursion, cosines per pixel visit, no tables, no shortcuts; the reference the fast cut must
// match bit for bit.
#include "literal_light_extraction.h"

#include <cmath>

namespace {

const float kPi = 3.1415927f;

struct Literal {
    const float* pixels;
    int W, H, depthLimit;
    std::vector<LiteralLight> lights;

    float w(int r) const { return cosf(kPi * ((float)r / (float)H - 0.5f)); }
    float e(int x, int r) const {
        const float* p = pixels + 3 * (r * W + x);
        return w(r) * (0.2125f * p[0] + 0.7154f * p[1] + 0.0721f * p[2]);
    }
    // The first pixel of x0..x1 by y0..y1 at which the running energy, columns outermost or rows outermost,
    // reaches the target; (0, 0) when none does.
    void find(int x0, int x1, int y0, int y1, bool columnsOutermost, float target, int& col, int& row) const {
        float sum = 0.0f;
        for (int a = columnsOutermost ? x0 : y0; a < (columnsOutermost ? x1 : y1); ++a)
            for (int b = columnsOutermost ? y0 : x0; b < (columnsOutermost ? y1 : x1); ++b) {
                sum += columnsOutermost ? e(a, b) : e(b, a);
                if (sum >= target) {
                    col = columnsOutermost ? a : b;
                    row = columnsOutermost ? b : a;
                    return;
                }
            }
    }

    // Cuts the region, left part first, and appends the lights of its leaves.
    void process(int x0, int x1, int y0, int y1, int d) {
        float energy = 0.0f;
        for (int r = y0; r < y1; ++r)
            for (int x = x0; x < x1; ++x) energy += e(x, r);
        int col = 0, row = 0;
        if (d >= depthLimit) {
            float N = (float)((x1 - x0) * (y1 - y0));
            float c[3] = {0.0f, 0.0f, 0.0f};
            for (int r = y0; r < y1; ++r)
                for (int x = x0; x < x1; ++x)
                    for (int k = 0; k < 3; ++k) c[k] += w(r) * (pixels[3 * (r * W + x) + k] / N);
            find(x0, x1, y0, y1, false, energy * 0.5f, col, row);
            float theta = kPi * (float)row / (float)H;
            float phi = kPi * ((float)(2 * col) / (float)W - 1.0f);
            lights.push_back(
                {Vector3(-sinf(theta) * sinf(phi), -cosf(theta), sinf(theta) * cosf(phi)), Vector3(c[0], c[1], c[2])});
            return;
        }
        float wc = cosf(kPi * ((float)(y0 + y1) / (float)(2 * H) - 0.5f));
        if ((float)(y1 - y0) <= (float)(x1 - x0) * wc) {
            find(x0, x1, y0, y1, true, energy * 0.5f, col, row);
            process(x0, col, y0, y1, d + 1);
            process(col, x1, y0, y1, d + 1);
        } else {
            find(x0, x1, y0, y1, false, energy * 0.5f, col, row);
            process(x0, x1, y0, row, d + 1);
            process(x0, x1, row, y1, d + 1);
        }
    }
};

}  // namespace

std::vector<LiteralLight> literalLights(const float* pixels, int width, int height, int depthLimit) {
    Literal literal{pixels, width, height, depthLimit, {}};
    literal.process(0, width, height / 2 + 32, height, 0);
    return literal.lights;
}
