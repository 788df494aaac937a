// Huge pages for the C heap: the program restarts itself once with glibc's huge-page tunable set.
#pragma once

// The software renderer keeps textures and render targets on the C heap and
// writes zeros over each as it is made: at start-up hundreds of megabytes,
// one page fault per 4 KiB page, which costs a virtual machine more than a
// second. With glibc.malloc.hugetlb=1 the allocator asks for transparent huge
// pages (2 MiB) instead. The tunable is read only when a process starts, so
// where it is unset this replaces the process (same pid, same arguments) with
// a fresh start of the same executable that has it; it returns only when it
// does nothing: the tunable already chosen either way, not glibc, or the
// restart failed. Call it first in main, before any thread or file is opened.
void restartWithHugePageHeap(char** argv);
