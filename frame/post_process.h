// Resolve, bloom and final composite: from the lit image and the sky image to the window.
#pragma once

// Resolve (supersampling only), two downsamples and the two blur directions.
void renderResolveAndBloom();
// The final composite into the window.
void renderComposite();
