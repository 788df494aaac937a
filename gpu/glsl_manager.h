// GLSLManager: the renderer's GLSL programs in numbered slots, built from file pairs and reported to the log.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

// The objects of one numbered slot; all 0 until loadProgram fills the slot.
struct ProgramSlot {
    GLhandleARB vertexShader = 0;
    GLhandleARB fragmentShader = 0;
    GLhandleARB program = 0;
};

class GLSLManager {
public:
    GLSLManager() = default;
    // Releases nothing: GL objects go in release, while the context still exists.
    virtual ~GLSLManager() = default;
    GLSLManager(const GLSLManager&) = delete;
    GLSLManager& operator=(const GLSLManager&) = delete;

    // Checks the shader-object extensions and looks up their entry points;
    // false (and one log entry) when any required one is missing. Until it
    // succeeds the other operations make no GL calls.
    bool initExtensions();

    // Creates count empty slots, numbered from 0.
    void allocatePrograms(int count);

    // Builds the slot from a vertex and a fragment source file. Exactly one
    // log entry tells the outcome; a successfully linked program is left current.
    void loadProgram(const char* vertexPath, const char* fragmentPath, int slot);

    void useProgram(int slot);
    // No program current: fixed-function rendering.
    void stopProgram();

    // Set a uniform of the current program by name; the slot's program must be
    // current (useProgram). A name the program lacks is ignored by GL.
    void setUniform1i(int slot, const char* name, int value);
    void setUniform1f(int slot, const char* name, float value);
    void setUniform4f(int slot, const char* name, float x, float y, float z, float w);

    // Deletes every object of every slot and drops the slots.
    void release();

    int slotCount() const { return slotCount_; }
    // Whether the slot's program compiled and linked, so drawing with it draws.
    bool programLinked(int slot) const { return hasSlot(slot) && linked_[slot] != 0; }
    // The slot's objects (all 0 for a slot that does not exist).
    ProgramSlot programSlot(int slot) const;

private:
    bool hasSlot(int slot) const { return slot >= 0 && slot < slotCount_; }
    void report(const char* prefix, GLhandleARB object, int slot);

    std::vector<GLhandleARB> vertexShaders_;
    std::vector<GLhandleARB> fragmentShaders_;
    std::vector<GLhandleARB> programs_;
    std::vector<char> linked_;
    int slotCount_ = 0;
};

// The program's single shader manager; it lives for the whole run.
GLSLManager& glslManager();
