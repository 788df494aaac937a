// The scene's render targets: creation at the current size and factor, and the rebuild after a supersampling change.
#pragma once

// Creates targets 0 to 10 and the shadow maps on the current manager.
void createSceneTargets();

// Replaces the whole manager and every target, shadow maps included.
void rebuildRenderTargets();
