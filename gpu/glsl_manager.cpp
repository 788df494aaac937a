// GLSLManager: shader-object entry points, slot building with its log entries, uniforms and release.
#include "gpu/glsl_manager.h"

#include <cstring>
#include <string>

#include "gpu/logger.h"
#include "gpu/shader_source.h"
#include "platform/gl_entry_points.h"

// The shader-object entry points, looked up by initExtensions and valid until exit.
namespace glsl {

PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB = nullptr;
PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB = nullptr;
PFNGLSHADERSOURCEARBPROC glShaderSourceARB = nullptr;
PFNGLCOMPILESHADERARBPROC glCompileShaderARB = nullptr;
PFNGLATTACHOBJECTARBPROC glAttachObjectARB = nullptr;
PFNGLLINKPROGRAMARBPROC glLinkProgramARB = nullptr;
PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB = nullptr;
PFNGLDELETEOBJECTARBPROC glDeleteObjectARB = nullptr;
PFNGLUNIFORM1IARBPROC glUniform1iARB = nullptr;
PFNGLUNIFORM1FARBPROC glUniform1fARB = nullptr;
PFNGLUNIFORM4FARBPROC glUniform4fARB = nullptr;
PFNGLUNIFORM4FVARBPROC glUniform4fvARB = nullptr;
PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB = nullptr;
PFNGLVERTEXATTRIB4FARBPROC glVertexAttrib4fARB = nullptr;
PFNGLGETATTRIBLOCATIONARBPROC glGetAttribLocationARB = nullptr;
PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB = nullptr;
PFNGLGETINFOLOGARBPROC glGetInfoLogARB = nullptr;
PFNGLVALIDATEPROGRAMARBPROC glValidateProgramARB = nullptr;

// True only after a successful initExtensions: every required pointer is set.
bool entryPointsReady = false;

}  // namespace glsl

namespace {

const char* const kRequiredExtensions[] = {"GL_ARB_vertex_shader", "GL_ARB_fragment_shader", "GL_ARB_shader_objects",
                                           "GL_ARB_shading_language_100"};

const char* const kVertexCompilePrefix = "VS Compiling Error! ID: ";
const char* const kFragmentCompilePrefix = "PS Compiling Error! ID: ";
const char* const kLinkPrefix = "Shader Linker Error! ID: ";
const char* const kValidationPrefix = "Shader Validation ID: ";

// Looks every entry point up in its fixed order; true when all the required ones were found.
bool lookUpShaderEntryPoints() {
    using namespace glsl;
    bool required = true;
    required &= lookUpEntryPoint(glCreateProgramObjectARB, "glCreateProgramObjectARB");
    required &= lookUpEntryPoint(glCreateShaderObjectARB, "glCreateShaderObjectARB");
    required &= lookUpEntryPoint(glShaderSourceARB, "glShaderSourceARB");
    required &= lookUpEntryPoint(glCompileShaderARB, "glCompileShaderARB");
    required &= lookUpEntryPoint(glAttachObjectARB, "glAttachObjectARB");
    required &= lookUpEntryPoint(glLinkProgramARB, "glLinkProgramARB");
    required &= lookUpEntryPoint(glUseProgramObjectARB, "glUseProgramObjectARB");
    required &= lookUpEntryPoint(glDeleteObjectARB, "glDeleteObjectARB");
    required &= lookUpEntryPoint(glUniform1iARB, "glUniform1iARB");
    lookUpEntryPoint(glUniform1fARB, "glUniform1fARB");  // optional: setUniform1f checks it
    required &= lookUpEntryPoint(glUniform4fARB, "glUniform4fARB");
    lookUpEntryPoint(glUniform4fvARB, "glUniform4fvARB");  // optional and unused
    required &= lookUpEntryPoint(glGetUniformLocationARB, "glGetUniformLocationARB");
    required &= lookUpEntryPoint(glVertexAttrib4fARB, "glVertexAttrib4fARB");
    required &= lookUpEntryPoint(glGetAttribLocationARB, "glGetAttribLocationARB");
    required &= lookUpEntryPoint(glGetObjectParameterivARB, "glGetObjectParameterivARB");
    required &= lookUpEntryPoint(glGetInfoLogARB, "glGetInfoLogARB");
    lookUpEntryPoint(glValidateProgramARB, "glValidateProgramARB");  // optional: loadProgram checks it
    return required;
}

void setSource(GLhandleARB shader, const char* path) {
    const std::string text = readShaderSource(path);
    const GLcharARB* strings[] = {text.c_str()};
    glsl::glShaderSourceARB(shader, 1, strings, nullptr);
}

bool objectStatus(GLhandleARB object, GLenum status) {
    GLint value = 0;
    glsl::glGetObjectParameterivARB(object, status, &value);
    return value != 0;
}

}  // namespace

GLSLManager& glslManager() {
    static GLSLManager manager;
    return manager;
}

bool GLSLManager::initExtensions() {
    glsl::entryPointsReady = false;
    for (const char* extension : kRequiredExtensions) {
        if (!extensionListed(extension)) {
            logger().write("OpenGL Shading Language not supported!");
            return false;
        }
    }
    if (!lookUpShaderEntryPoints()) {
        logger().write("Not all entrypoints available!");
        return false;
    }
    glsl::entryPointsReady = true;
    return true;
}

void GLSLManager::allocatePrograms(int count) {
    slotCount_ = count > 0 ? count : 0;
    vertexShaders_.assign(slotCount_, 0);
    fragmentShaders_.assign(slotCount_, 0);
    programs_.assign(slotCount_, 0);
    linked_.assign(slotCount_, 0);
}

ProgramSlot GLSLManager::programSlot(int slot) const {
    ProgramSlot objects;
    if (hasSlot(slot)) {
        objects.vertexShader = vertexShaders_[slot];
        objects.fragmentShader = fragmentShaders_[slot];
        objects.program = programs_[slot];
    }
    return objects;
}

void GLSLManager::loadProgram(const char* vertexPath, const char* fragmentPath, int slot) {
    if (!glsl::entryPointsReady || !hasSlot(slot)) {
        return;
    }
    using namespace glsl;
    linked_[slot] = 0;
    programs_[slot] = glCreateProgramObjectARB();
    fragmentShaders_[slot] = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    vertexShaders_[slot] = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);

    // The fragment source is handed over first, but the vertex shader compiles first.
    setSource(fragmentShaders_[slot], fragmentPath);
    setSource(vertexShaders_[slot], vertexPath);

    glCompileShaderARB(vertexShaders_[slot]);
    if (!objectStatus(vertexShaders_[slot], GL_OBJECT_COMPILE_STATUS_ARB)) {
        report(kVertexCompilePrefix, vertexShaders_[slot], slot);
        return;
    }
    glCompileShaderARB(fragmentShaders_[slot]);
    if (!objectStatus(fragmentShaders_[slot], GL_OBJECT_COMPILE_STATUS_ARB)) {
        report(kFragmentCompilePrefix, fragmentShaders_[slot], slot);
        return;
    }
    glAttachObjectARB(programs_[slot], vertexShaders_[slot]);
    glAttachObjectARB(programs_[slot], fragmentShaders_[slot]);
    glLinkProgramARB(programs_[slot]);
    if (!objectStatus(programs_[slot], GL_OBJECT_LINK_STATUS_ARB)) {
        report(kLinkPrefix, programs_[slot], slot);
        return;
    }
    linked_[slot] = 1;
    glUseProgramObjectARB(programs_[slot]);
    // The validation log is written whatever it says; its status is not consulted.
    if (glValidateProgramARB != nullptr) {
        glValidateProgramARB(programs_[slot]);
    }
    report(kValidationPrefix, programs_[slot], slot);
}

void GLSLManager::report(const char* prefix, GLhandleARB object, int slot) {
    GLint length = 0;
    glsl::glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    std::string log;
    if (length > 0) {
        std::vector<GLcharARB> buffer(static_cast<std::size_t>(length), '\0');
        glsl::glGetInfoLogARB(object, length, nullptr, buffer.data());
        log.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }
    // The slot number, never the GL handle, identifies the program in the log.
    logger().write(prefix + Logger::intToString(slot) + ": " + log);
}

void GLSLManager::useProgram(int slot) {
    if (glsl::entryPointsReady && hasSlot(slot)) {
        glsl::glUseProgramObjectARB(programs_[slot]);
    }
}

void GLSLManager::stopProgram() {
    if (glsl::entryPointsReady) {
        glsl::glUseProgramObjectARB(0);
    }
}

// Locations are looked up on every call rather than cached per slot.
void GLSLManager::setUniform1i(int slot, const char* name, int value) {
    if (glsl::entryPointsReady && hasSlot(slot)) {
        glsl::glUniform1iARB(glsl::glGetUniformLocationARB(programs_[slot], name), value);
    }
}

void GLSLManager::setUniform1f(int slot, const char* name, float value) {
    if (glsl::entryPointsReady && hasSlot(slot) && glsl::glUniform1fARB != nullptr) {
        glsl::glUniform1fARB(glsl::glGetUniformLocationARB(programs_[slot], name), value);
    }
}

void GLSLManager::setUniform4f(int slot, const char* name, float x, float y, float z, float w) {
    if (glsl::entryPointsReady && hasSlot(slot)) {
        glsl::glUniform4fARB(glsl::glGetUniformLocationARB(programs_[slot], name), x, y, z, w);
    }
}

void GLSLManager::release() {
    if (glsl::entryPointsReady) {
        glsl::glUseProgramObjectARB(0);
        for (int slot = 0; slot < slotCount_; ++slot) {
            for (GLhandleARB object : {vertexShaders_[slot], fragmentShaders_[slot], programs_[slot]}) {
                if (object != 0) {
                    glsl::glDeleteObjectARB(object);
                }
            }
        }
    }
    vertexShaders_.clear();
    fragmentShaders_.clear();
    programs_.clear();
    linked_.clear();
    vertexShaders_.shrink_to_fit();
    fragmentShaders_.shrink_to_fit();
    programs_.shrink_to_fit();
    linked_.shrink_to_fit();
    slotCount_ = 0;
}
