// Deferred lighting pass: adds four shadowed lights per full-target quad, then the map's ground light, into the lit
// image.
#pragma once

void renderLightingPass();
