// Gives the pages the C heap holds free back to the system (glibc's malloc_trim; elsewhere nothing).
#include "platform/heap_release.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void releaseFreeHeapPages() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
