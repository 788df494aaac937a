// Literal median cut: recursion, cosines per pixel visit, no tables, no shortcuts; the reference the fast cut must match bit for bit.
#include "literal_light_extraction.h"

#include <cmath>
#include <memory>

namespace {

const float kPi = 3.1415927f;

struct Node {
    int x0, x1, y0, y1;
    float energy = 0.0f;
    float colour[3] = {0.0f, 0.0f, 0.0f};
    float direction[3] = {0.0f, 0.0f, 0.0f};
    std::unique_ptr<Node> left, right;
    Node(int a, int b, int c, int d) : x0(a), x1(b), y0(c), y1(d) {}
};

struct Literal {
    const float* pixels;
    int W, H, depthLimit;

    float w(int r) const { return cosf(kPi * ((float)r / (float)H - 0.5f)); }
    float e(int x, int r) const {
        const float* p = pixels + 3 * (r * W + x);
        float L = 0.2125f * p[0] + 0.7154f * p[1] + 0.0721f * p[2];
        return w(r) * L;
    }

    void process(Node& n, int d) {
        float wc = cosf(kPi * ((float)(n.y0 + n.y1) / (float)(2 * H) - 0.5f));
        for (int r = n.y0; r < n.y1; ++r)
            for (int x = n.x0; x < n.x1; ++x) n.energy += e(x, r);
        if (d >= depthLimit) {
            leaf(n);
            return;
        }
        float half = n.energy * 0.5f;
        int dx = n.x1 - n.x0, dy = n.y1 - n.y0;
        int k = 0;
        float sum = 0.0f;
        if ((float)dy <= (float)dx * wc) {
            for (int x = n.x0; x < n.x1; ++x)
                for (int r = n.y0; r < n.y1; ++r) {
                    sum += e(x, r);
                    if (sum >= half) {
                        k = x;
                        goto columnFound;
                    }
                }
        columnFound:
            n.left = std::make_unique<Node>(n.x0, k, n.y0, n.y1);
            n.right = std::make_unique<Node>(k, n.x1, n.y0, n.y1);
        } else {
            for (int r = n.y0; r < n.y1; ++r)
                for (int x = n.x0; x < n.x1; ++x) {
                    sum += e(x, r);
                    if (sum >= half) {
                        k = r;
                        goto rowFound;
                    }
                }
        rowFound:
            n.left = std::make_unique<Node>(n.x0, n.x1, n.y0, k);
            n.right = std::make_unique<Node>(n.x0, n.x1, k, n.y1);
        }
        process(*n.left, d + 1);
        process(*n.right, d + 1);
    }

    void leaf(Node& n) {
        float N = (float)((n.x1 - n.x0) * (n.y1 - n.y0));
        for (int r = n.y0; r < n.y1; ++r)
            for (int x = n.x0; x < n.x1; ++x)
                for (int c = 0; c < 3; ++c) n.colour[c] += w(r) * (pixels[3 * (r * W + x) + c] / N);
        int col = 0, row = 0;
        float sum = 0.0f;
        for (int r = n.y0; r < n.y1; ++r)
            for (int x = n.x0; x < n.x1; ++x) {
                sum += e(x, r);
                if (sum >= n.energy * 0.5f) {
                    col = x;
                    row = r;
                    goto found;
                }
            }
    found:
        float theta = kPi * (float)row / (float)H;
        float phi = kPi * ((float)(2 * col) / (float)W - 1.0f);
        n.direction[0] = -sinf(theta) * sinf(phi);
        n.direction[1] = -cosf(theta);
        n.direction[2] = sinf(theta) * cosf(phi);
    }

    void collect(const Node& n, std::vector<LiteralLight>& out) const {
        if (!n.left) {
            out.push_back({{n.direction[0], n.direction[1], n.direction[2]}, {n.colour[0], n.colour[1], n.colour[2]}});
            return;
        }
        collect(*n.left, out);
        collect(*n.right, out);
    }
};

}  // namespace

std::vector<LiteralLight> literalLights(const float* pixels, int width, int height, int depthLimit) {
    Literal literal{pixels, width, height, depthLimit};
    Node root(0, width, height / 2 + 32, height);
    literal.process(root, 0);
    std::vector<LiteralLight> lights;
    literal.collect(root, lights);
    return lights;
}
