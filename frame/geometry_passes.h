// Geometry passes: positions, normals and colours of the scene into the G-buffer, and the sky image.
#pragma once

void renderGeometryPasses();
