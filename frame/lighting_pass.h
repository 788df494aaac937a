// Deferred lighting pass: adds four shadowed lights per full-target quad into the lit image.
#pragma once

void renderLightingPass();
