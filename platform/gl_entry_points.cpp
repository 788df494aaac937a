// GL extension discovery through the platform layer.
#include "platform/gl_entry_points.h"

#include <cstring>

bool extensionListed(const char* name) {
    const char* extensions = platform().glExtensions();
    return extensions != nullptr && std::strstr(extensions, name) != nullptr;
}
