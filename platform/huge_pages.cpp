// Huge pages for the C heap: one restart of the executable with glibc.malloc.hugetlb=1 added to GLIBC_TUNABLES.
#include "platform/huge_pages.h"

#include <cstdlib>
#include <cstring>
#include <string>

#if defined(__GLIBC__) && defined(__linux__)
#include <unistd.h>
#endif

namespace {

const char* const kTunablesVariable = "GLIBC_TUNABLES";
const char* const kHugePageTunable = "glibc.malloc.hugetlb";

}  // namespace

void restartWithHugePageHeap(char** argv) {
#if defined(__GLIBC__) && defined(__linux__)
    const char* tunables = std::getenv(kTunablesVariable);
    // Chosen already, by this restart or by the user (=0 keeps the normal pages).
    if (tunables != nullptr && std::strstr(tunables, kHugePageTunable) != nullptr) {
        return;
    }
    std::string value = tunables != nullptr && tunables[0] != '\0' ? std::string(tunables) + ":" : std::string();
    value += std::string(kHugePageTunable) + "=1";
    if (setenv(kTunablesVariable, value.c_str(), 1) != 0) {
        return;
    }
    execv("/proc/self/exe", argv);
    // Still here: the restart failed. Go on with normal pages; the variable
    // stays so that nothing the program starts tries again.
#else
    (void)argv;
#endif
}
