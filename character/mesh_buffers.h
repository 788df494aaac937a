// Mesh buffers: the buffer-object and client-texture entry points of the character, looked up once per rendering
// context.
#pragma once

// Looks up glGenBuffers, glBindBuffer, glBufferData, glBufferSubData and
// glClientActiveTexture (then glDeleteBuffers, for releasing a model) through
// the platform layer. A missing glClientActiveTexture is reported and the
// meshes are then drawn without their two texture-coordinate arrays; a missing
// buffer entry point is reported and the character gets no buffers. Called
// once per rendering context, so it also marks the start of a new context.
void loadBufferEntryPoints();

// Counts the calls of loadBufferEntryPoints: buffers made under another count
// belong to a context that no longer exists.
unsigned int currentBufferContext();

// True when every entry point that creating and filling buffers needs is known.
bool bufferEntryPointsAvailable();
