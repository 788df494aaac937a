// Shadow map pass: one depth render of the scene per light, keeping each light's matrices.
#pragma once

void renderShadowMaps();
