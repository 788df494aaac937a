// Buffer-object and client-texture entry points of the character, looked up once per rendering context.
#pragma once

// Looks up glGenBuffers, glBindBuffer, glBufferData, glBufferSubData and
// glClientActiveTexture (then glDeleteBuffers, for releasing a model) through
// the platform layer. A missing glClientActiveTexture is reported and the
// meshes are then drawn without their two texture-coordinate arrays; a missing
// buffer entry point is reported and the character gets no buffers.
void loadBufferEntryPoints();

// True when every entry point that creating and filling buffers needs is known.
bool bufferEntryPointsAvailable();
