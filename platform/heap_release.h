// Gives the pages the C heap holds free back to the system.
#pragma once

// The driver keeps texture and render-target storage on the C heap. After a
// scene or its targets are released, the allocator keeps the freed pages for
// reuse, and the pattern of big blocks of changing sizes (supersampling on and
// off) scatters them, so a long session's resident size would follow its
// largest moment rather than what it holds now. Called after such releases.
void releaseFreeHeapPages();
