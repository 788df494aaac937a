// Screenshot writer: GL read-back into a FreeImage bitmap, saved as PNG.
#include "app/screenshot.h"

#include <FreeImage.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>

#include "platform/native_window.h"

bool saveScreenshot(const AppWindow& window, const std::string& path, bool frontBuffer) {
    int drawableWidth = 0;
    int drawableHeight = 0;
    nativeDrawableSize(window.native, drawableWidth, drawableHeight);
    // The passes draw the configured size anchored at the lower-left corner.
    const int width = std::min(window.width, drawableWidth);
    const int height = std::min(window.height, drawableHeight);
    if (width < 1 || height < 1) {
        return false;
    }
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
    if (bitmap == nullptr) {
        std::fprintf(stderr, "lumivor: no memory for a %dx%d screenshot\n", width, height);
        return false;
    }
    glReadBuffer(frontBuffer ? GL_FRONT : GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Both GL and FreeImage keep the bottom row first; FreeImage's 24-bit
    // pixels are blue, green, red on little-endian machines.
    for (int row = 0; row < height; ++row) {
        glReadPixels(0, row, width, 1, GL_BGR, GL_UNSIGNED_BYTE, FreeImage_GetScanLine(bitmap, row));
    }
    glReadBuffer(GL_BACK);
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0) != 0;
    FreeImage_Unload(bitmap);
    if (!saved) {
        std::fprintf(stderr, "lumivor: could not write the screenshot %s\n", path.c_str());
    }
    return saved;
}
