// RecordingPlatform: the fake platform services tests install with ScopedPlatformServices.
#include "support/recording_platform.h"

void RecordingPlatform::setCursorPosition(int x, int y) {
    cursorX = x;
    cursorY = y;
    ++cursorMoves;
}

void* RecordingPlatform::glProcAddress(const char* name) {
    if (missingEntryPoints.count(name) != 0) {
        return nullptr;
    }
    return sdlPlatformServices().glProcAddress(name);
}

const char* RecordingPlatform::glExtensions() {
    if (extensionString) {
        return extensionString->c_str();
    }
    return sdlPlatformServices().glExtensions();
}

void RecordingPlatform::showMessage(const char* title, const std::string& text, MessageIcon icon) {
    messages.push_back({title, text, icon});
}

bool RecordingPlatform::askYesNo(const char* title, const std::string& text) {
    messages.push_back({title, text, MessageIcon::Question});
    return yesNoAnswer;
}
