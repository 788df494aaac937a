// RenderTargets: off-screen targets by index, each a texture with its framebuffer object and depth attachment.
#pragma once

#include <GL/gl.h>

#include <vector>

// The format codes createTarget accepts; callers pass them as plain ints.
namespace TargetFormat {
constexpr int RGB8_LINEAR = 0;    // 2D, RGB bytes, linear filter
constexpr int RGBA8_NEAREST = 1;  // 2D, RGBA bytes
constexpr int RGB16F = 2;         // 2D, half-float RGB
constexpr int RGBA16F = 3;        // 2D, half-float RGBA
constexpr int RGB32F = 4;         // 2D, float RGB
constexpr int RGBA32F = 5;        // 2D, float RGBA
constexpr int DEPTH_SHADOW = 6;   // 2D depth texture with comparison, the target's only attachment
constexpr int CUBE_RGB8 = 7;      // cube map, rendered through its positive-X face
constexpr int RECT_RGBA16F = 8;   // rectangle, half-float RGBA, size x height
constexpr int RECT_RGBA32F = 9;   // rectangle, float RGBA, size x height
constexpr int kCount = 10;
}  // namespace TargetFormat

class RenderTargets {
public:
    RenderTargets() = default;
    ~RenderTargets() = default;  // frees the tables; the GL objects go in deleteTargets
    RenderTargets(const RenderTargets&) = delete;
    RenderTargets& operator=(const RenderTargets&) = delete;

    // Makes the tables for count targets, checks the framebuffer-object
    // extension and looks up its entry points; false (and a log entry) on failure.
    bool initTargets(int count);

    // Creates the index's texture, framebuffer and depth attachment; writes the
    // framebuffer status to the log. False when GL reported an error. The
    // window framebuffer is bound again afterwards.
    bool createTarget(int index, int size, int format, int height);

    // Change the framebuffer binding only: viewport and draw buffer stay as they are.
    void bindTarget(int index);
    void unbindTarget();

    // Copies the lower-left width x height of the source's depth buffer into
    // the destination's and leaves the destination bound. False (nothing done)
    // where the driver does not list GL_EXT_framebuffer_blit or either target
    // has no depth buffer.
    bool copyDepth(int source, int destination, int width, int height);

    // Writes the completeness status of the bound framebuffer to the log.
    void checkStatus();

    GLuint getTexture(int index) const;
    // The width given to createTarget.
    int getSize(int index) const;

    // Deletes every texture, framebuffer and renderbuffer the targets own.
    void deleteTargets();

private:
    bool hasTarget(int index) const { return index >= 0 && index < targetCount_; }
    bool allocateTables(int count);
    bool reportGlError();

    int targetCount_ = 0;
    std::vector<GLuint> framebuffers_;
    std::vector<GLuint> renderbuffers_;
    std::vector<GLuint> textures_;
    std::vector<int> sizes_;
    std::vector<int> formats_;
};
