// GL extension discovery through the platform layer.
#include "platform/gl_entry_points.h"

#include <cstring>

bool extensionListed(const char* name) {
    const char* extensions = platform().glExtensions();
    const size_t length = std::strlen(name);
    if (extensions == nullptr || length == 0) {
        return false;
    }
    // A whole name between spaces: GL_EXT_framebuffer_blit is not listed by
    // GL_EXT_framebuffer_blit_layers.
    for (const char* found = std::strstr(extensions, name); found != nullptr; found = std::strstr(found + 1, name)) {
        const bool starts = found == extensions || found[-1] == ' ';
        const bool ends = found[length] == '\0' || found[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}
