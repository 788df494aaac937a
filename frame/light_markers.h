// Light markers: a disc over the sky at each current light's direction, its area by energy, its colour by radiance.
#pragma once

// Draws the markers into the window image between the composite and the
// overlay text, when the scene state shows them (key V); nothing otherwise.
void renderLightMarkers();
