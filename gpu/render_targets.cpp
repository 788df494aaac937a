// RenderTargets: framebuffer-object entry points, the format table, target creation, status and deletion.
#include "gpu/render_targets.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <exception>
#include <string>

#include "gpu/logger.h"
#include "platform/gl_entry_points.h"

// The framebuffer-object entry points, overwritten by every initTargets.
namespace fbo {

PFNGLISRENDERBUFFEREXTPROC glIsRenderbufferEXT = nullptr;
PFNGLBINDRENDERBUFFEREXTPROC glBindRenderbufferEXT = nullptr;
PFNGLDELETERENDERBUFFERSEXTPROC glDeleteRenderbuffersEXT = nullptr;
PFNGLGENRENDERBUFFERSEXTPROC glGenRenderbuffersEXT = nullptr;
PFNGLRENDERBUFFERSTORAGEEXTPROC glRenderbufferStorageEXT = nullptr;
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
PFNGLISFRAMEBUFFEREXTPROC glIsFramebufferEXT = nullptr;
PFNGLBINDFRAMEBUFFEREXTPROC glBindFramebufferEXT = nullptr;
PFNGLDELETEFRAMEBUFFERSEXTPROC glDeleteFramebuffersEXT = nullptr;
PFNGLGENFRAMEBUFFERSEXTPROC glGenFramebuffersEXT = nullptr;
PFNGLFRAMEBUFFERTEXTURE2DEXTPROC glFramebufferTexture2DEXT = nullptr;
PFNGLFRAMEBUFFERTEXTURE3DEXTPROC glFramebufferTexture3DEXT = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC glFramebufferRenderbufferEXT = nullptr;
PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC glGetFramebufferAttachmentParameterivEXT = nullptr;
PFNGLGENERATEMIPMAPEXTPROC glGenerateMipmapEXT = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC glCheckFramebufferStatusEXT = nullptr;
PFNGLBLITFRAMEBUFFEREXTPROC glBlitFramebufferEXT = nullptr;
PFNGLTEXIMAGE3DPROC glTexImage3D = nullptr;

// True only after a successful initTargets: every required pointer is set.
bool entryPointsReady = false;
// True when the driver lists the blit extension: its entry point alone proves
// nothing, since the lookup answers for names the driver lacks too.
bool depthBlitReady = false;

}  // namespace fbo

namespace {

const int kCubeFaceCount = 6;

struct FormatDescription {
    GLenum textureTarget;
    GLint internalFormat;
    GLenum uploadFormat;
    GLenum uploadType;
    GLint filter;
    GLint wrap;
    bool usesHeight;      // size x height instead of size x size
    GLenum attachTarget;  // texture target named when attaching level 0
};

// Indexed by TargetFormat code.
const FormatDescription kFormats[TargetFormat::kCount] = {
    {GL_TEXTURE_2D, GL_RGB, GL_RGB, GL_UNSIGNED_BYTE, GL_LINEAR, GL_CLAMP_TO_EDGE, false, GL_TEXTURE_2D},
    {GL_TEXTURE_2D, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE, GL_NEAREST, GL_CLAMP, false, GL_TEXTURE_2D},
    {GL_TEXTURE_2D, GL_RGB16F_ARB, GL_RGB, GL_FLOAT, GL_NEAREST, GL_CLAMP, false, GL_TEXTURE_2D},
    {GL_TEXTURE_2D, GL_RGBA16F_ARB, GL_RGBA, GL_FLOAT, GL_NEAREST, GL_CLAMP, false, GL_TEXTURE_2D},
    {GL_TEXTURE_2D, GL_RGB32F_ARB, GL_RGB, GL_FLOAT, GL_NEAREST, GL_CLAMP, false, GL_TEXTURE_2D},
    {GL_TEXTURE_2D, GL_RGBA32F_ARB, GL_RGBA, GL_FLOAT, GL_NEAREST, GL_CLAMP, false, GL_TEXTURE_2D},
    {GL_TEXTURE_2D, GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, GL_LINEAR, GL_CLAMP, false,
     GL_TEXTURE_2D},
    {GL_TEXTURE_CUBE_MAP, GL_RGB, GL_RGB, GL_UNSIGNED_BYTE, GL_LINEAR, GL_CLAMP_TO_EDGE, false,
     GL_TEXTURE_CUBE_MAP_POSITIVE_X},
    {GL_TEXTURE_RECTANGLE_ARB, GL_RGBA16F_ARB, GL_RGBA, GL_FLOAT, GL_LINEAR, GL_CLAMP, true, GL_TEXTURE_RECTANGLE_ARB},
    {GL_TEXTURE_RECTANGLE_ARB, GL_RGBA32F_ARB, GL_RGBA, GL_FLOAT, GL_LINEAR, GL_CLAMP, true, GL_TEXTURE_RECTANGLE_ARB},
};

// Looks every entry point up in its fixed order; true when all the required ones were found.
bool lookUpFramebufferEntryPoints() {
    using namespace fbo;
    bool required = true;
    required &= lookUpEntryPoint(glIsRenderbufferEXT, "glIsRenderbufferEXT");
    required &= lookUpEntryPoint(glBindRenderbufferEXT, "glBindRenderbufferEXT");
    required &= lookUpEntryPoint(glDeleteRenderbuffersEXT, "glDeleteRenderbuffersEXT");
    required &= lookUpEntryPoint(glGenRenderbuffersEXT, "glGenRenderbuffersEXT");
    required &= lookUpEntryPoint(glRenderbufferStorageEXT, "glRenderbufferStorageEXT");
    required &= lookUpEntryPoint(fbo::glActiveTextureARB, "glActiveTextureARB");
    required &= lookUpEntryPoint(glIsFramebufferEXT, "glIsFramebufferEXT");
    required &= lookUpEntryPoint(glBindFramebufferEXT, "glBindFramebufferEXT");
    required &= lookUpEntryPoint(glDeleteFramebuffersEXT, "glDeleteFramebuffersEXT");
    required &= lookUpEntryPoint(glGenFramebuffersEXT, "glGenFramebuffersEXT");
    required &= lookUpEntryPoint(glFramebufferTexture2DEXT, "glFramebufferTexture2DEXT");
    lookUpEntryPoint(glFramebufferTexture3DEXT, "glFramebufferTexture3DEXT");        // optional and unused
    lookUpEntryPoint(glFramebufferRenderbufferEXT, "glFramebufferRenderbufferEXT");  // optional: checked
    required &= lookUpEntryPoint(glGetFramebufferAttachmentParameterivEXT, "glGetFramebufferAttachmentParameterivEXT");
    required &= lookUpEntryPoint(glGenerateMipmapEXT, "glGenerateMipmapEXT");
    required &= lookUpEntryPoint(glCheckFramebufferStatusEXT, "glCheckFramebufferStatusEXT");
    lookUpEntryPoint(fbo::glTexImage3D, "glTexImage3D");             // optional and unused
    lookUpEntryPoint(glBlitFramebufferEXT, "glBlitFramebufferEXT");  // optional: with its extension, copyDepth
    return required;
}

void defineTextureImage(const FormatDescription& format, int width, int height) {
    const GLenum target = format.textureTarget;
    if (target == GL_TEXTURE_CUBE_MAP) {
        for (int face = 0; face < kCubeFaceCount; ++face) {
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, format.internalFormat, width, height, 0,
                         format.uploadFormat, format.uploadType, nullptr);
        }
        glTexParameteri(target, GL_TEXTURE_WRAP_R, format.wrap);
    } else {
        glTexImage2D(target, 0, format.internalFormat, width, height, 0, format.uploadFormat, format.uploadType,
                     nullptr);
    }
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, format.filter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, format.filter);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, format.wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, format.wrap);
    if (format.internalFormat == GL_DEPTH_COMPONENT) {
        // Shadow lookups compare against the stored depth; the function stays at its default.
        glTexParameteri(target, GL_DEPTH_TEXTURE_MODE_ARB, GL_INTENSITY);
        glTexParameteri(target, GL_TEXTURE_COMPARE_MODE_ARB, GL_COMPARE_R_TO_TEXTURE_ARB);
    }
}

}  // namespace

bool RenderTargets::allocateTables(int count) {
    if (count >= 0) {
        try {
            framebuffers_.assign(count, 0);
            renderbuffers_.assign(count, 0);
            textures_.assign(count, 0);
            sizes_.assign(count, 0);
            formats_.assign(count, 0);
            return true;
        } catch (const std::exception&) {
            // falls through to empty tables
        }
    }
    framebuffers_.clear();
    renderbuffers_.clear();
    textures_.clear();
    sizes_.clear();
    formats_.clear();
    return false;
}

bool RenderTargets::initTargets(int count) {
    fbo::entryPointsReady = false;
    fbo::depthBlitReady = false;
    targetCount_ = 0;
    if (!allocateTables(count)) {
        // Without its tables the manager creates and looks up nothing.
        logger().write("Error: FBO Memory Allocation Failed!");
        return false;
    }
    targetCount_ = count;

    if (!extensionListed("GL_EXT_framebuffer_object")) {
        logger().write("Error: EXT_framebuffer_object not supported!");
        return false;
    }
    if (!lookUpFramebufferEntryPoints()) {
        logger().write("Error: EXT_framebuffer_object entrypoints not found!");
        return false;
    }
    fbo::entryPointsReady = true;
    fbo::depthBlitReady = fbo::glBlitFramebufferEXT != nullptr && fbo::glFramebufferRenderbufferEXT != nullptr &&
                          extensionListed("GL_EXT_framebuffer_blit");
    return true;
}

bool RenderTargets::createTarget(int index, int size, int format, int height) {
    if (!fbo::entryPointsReady || !hasTarget(index)) {
        return false;
    }
    if (format < 0 || format >= TargetFormat::kCount) {
        logger().write("Error: unknown render target format " + Logger::intToString(format));
        return false;
    }
    sizes_[index] = size;
    formats_[index] = format;
    const FormatDescription& description = kFormats[format];
    const int targetHeight = description.usesHeight ? height : size;

    // The texture stays bound on the active unit afterwards.
    glGenTextures(1, &textures_[index]);
    glBindTexture(description.textureTarget, textures_[index]);
    defineTextureImage(description, size, targetHeight);
    if (reportGlError()) {
        return false;
    }

    using namespace fbo;
    glGenFramebuffersEXT(1, &framebuffers_[index]);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffers_[index]);
    if (format == TargetFormat::DEPTH_SHADOW) {
        // The depth texture is the target's only buffer.
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D, textures_[index], 0);
    } else {
        glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
        glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
        glGenRenderbuffersEXT(1, &renderbuffers_[index]);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, renderbuffers_[index]);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, size, targetHeight);
        // Not required by initTargets: without it the target simply has no depth buffer.
        if (glFramebufferRenderbufferEXT != nullptr) {
            glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                         renderbuffers_[index]);
        }
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, description.attachTarget,
                                  textures_[index], 0);
    }
    // An incomplete framebuffer is logged but does not change the result.
    checkStatus();
    unbindTarget();
    return !reportGlError();
}

bool RenderTargets::reportGlError() {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) {
        return false;
    }
    const GLubyte* text = gluErrorString(error);
    logger().write(text != nullptr ? std::string(reinterpret_cast<const char*>(text))
                                   : "GL error " + Logger::intToString(static_cast<int>(error)));
    return true;
}

void RenderTargets::bindTarget(int index) {
    if (fbo::entryPointsReady && hasTarget(index)) {
        fbo::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffers_[index]);
    }
}

void RenderTargets::unbindTarget() {
    if (fbo::entryPointsReady) {
        fbo::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    }
}

bool RenderTargets::copyDepth(int source, int destination, int width, int height) {
    using namespace fbo;
    if (!entryPointsReady || !depthBlitReady || !hasTarget(source) || !hasTarget(destination) ||
        renderbuffers_[source] == 0 || renderbuffers_[destination] == 0) {
        return false;
    }
    glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, framebuffers_[source]);
    glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, framebuffers_[destination]);
    glBlitFramebufferEXT(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffers_[destination]);
    return true;
}

void RenderTargets::checkStatus() {
    if (!fbo::entryPointsReady) {
        return;
    }
    const char* message = nullptr;
    switch (fbo::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT)) {
        case GL_FRAMEBUFFER_COMPLETE_EXT:
            message = "Framebuffer Complete";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
            message = "Framebuffer Incomplete Attachment";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
            message = "Framebuffer Incomplete Missing Attachment";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
            message = "Framebuffer Incomplete Dimensions";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
            message = "Framebuffer Incomplete Formats";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
            message = "Framebuffer Incomplete Draw Buffer";
            break;
        case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
            message = "Framebuffer Incomplete Read Buffer";
            break;
        case GL_FRAMEBUFFER_UNSUPPORTED_EXT:
            message = "Framebuffer unsupported!";
            break;
        default:
            break;
    }
    if (message != nullptr) {
        logger().write(message);
    }
}

GLuint RenderTargets::getTexture(int index) const { return hasTarget(index) ? textures_[index] : 0; }

int RenderTargets::getSize(int index) const { return hasTarget(index) ? sizes_[index] : 0; }

void RenderTargets::deleteTargets() {
    if (targetCount_ == 0) {
        return;
    }
    glDeleteTextures(targetCount_, textures_.data());
    if (fbo::entryPointsReady) {
        fbo::glDeleteFramebuffersEXT(targetCount_, framebuffers_.data());
        fbo::glDeleteRenderbuffersEXT(targetCount_, renderbuffers_.data());
    }
    // A second deleteTargets must not delete names GL has since handed to someone else.
    textures_.assign(targetCount_, 0);
    framebuffers_.assign(targetCount_, 0);
    renderbuffers_.assign(targetCount_, 0);
}
