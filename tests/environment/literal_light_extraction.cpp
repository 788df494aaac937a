// Literal median cut: recursion, cosines per pixel visit, no tables, no shortcuts; the reference the fast cut must
// match bit for bit.
#include "literal_light_extraction.h"

#include <cmath>
#include <memory>

namespace {

const float kPi = 3.1415927f;

struct Node {
    int x0, x1, y0, y1;
    float energy = 0.0f;
    Vector3 colour{0.0f, 0.0f, 0.0f}, direction{0.0f, 0.0f, 0.0f};
    std::unique_ptr<Node> left, right;
    Node(int a, int b, int c, int d) : x0(a), x1(b), y0(c), y1(d) {}
};

struct Literal {
    const float* pixels;
    int W, H, depthLimit;

    float w(int r) const { return cosf(kPi * ((float)r / (float)H - 0.5f)); }
    float e(int x, int r) const {
        const float* p = pixels + 3 * (r * W + x);
        return w(r) * (0.2125f * p[0] + 0.7154f * p[1] + 0.0721f * p[2]);
    }
    // The first pixel at which the running energy, columns outermost or rows outermost, reaches the target.
    void find(const Node& n, bool columnsOutermost, float target, int& col, int& row) const {
        float sum = 0.0f;
        for (int a = columnsOutermost ? n.x0 : n.y0; a < (columnsOutermost ? n.x1 : n.y1); ++a)
            for (int b = columnsOutermost ? n.y0 : n.x0; b < (columnsOutermost ? n.y1 : n.x1); ++b) {
                sum += columnsOutermost ? e(a, b) : e(b, a);
                if (sum >= target) {
                    col = columnsOutermost ? a : b;
                    row = columnsOutermost ? b : a;
                    return;
                }
            }
    }

    void process(Node& n, int d) {
        float wc = cosf(kPi * ((float)(n.y0 + n.y1) / (float)(2 * H) - 0.5f));
        for (int r = n.y0; r < n.y1; ++r)
            for (int x = n.x0; x < n.x1; ++x) n.energy += e(x, r);
        if (d >= depthLimit)
            return leaf(n);
        int col = 0, row = 0;
        if ((float)(n.y1 - n.y0) <= (float)(n.x1 - n.x0) * wc) {
            find(n, true, n.energy * 0.5f, col, row);
            n.left = std::make_unique<Node>(n.x0, col, n.y0, n.y1);
            n.right = std::make_unique<Node>(col, n.x1, n.y0, n.y1);
        } else {
            find(n, false, n.energy * 0.5f, col, row);
            n.left = std::make_unique<Node>(n.x0, n.x1, n.y0, row);
            n.right = std::make_unique<Node>(n.x0, n.x1, row, n.y1);
        }
        process(*n.left, d + 1);
        process(*n.right, d + 1);
    }

    void leaf(Node& n) {
        float N = (float)((n.x1 - n.x0) * (n.y1 - n.y0));
        float c[3] = {0.0f, 0.0f, 0.0f};
        for (int r = n.y0; r < n.y1; ++r)
            for (int x = n.x0; x < n.x1; ++x)
                for (int k = 0; k < 3; ++k) c[k] += w(r) * (pixels[3 * (r * W + x) + k] / N);
        n.colour = Vector3(c[0], c[1], c[2]);
        int col = 0, row = 0;
        find(n, false, n.energy * 0.5f, col, row);
        float theta = kPi * (float)row / (float)H;
        float phi = kPi * ((float)(2 * col) / (float)W - 1.0f);
        n.direction = Vector3(-sinf(theta) * sinf(phi), -cosf(theta), sinf(theta) * cosf(phi));
    }

    void collect(const Node& n, std::vector<LiteralLight>& out) const {
        if (!n.left)
            return out.push_back({n.direction, n.colour});
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
