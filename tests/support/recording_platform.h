// RecordingPlatform: a settable clock, cursor and keys, GL entry points it can hide, and a record of messages.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform_services.h"

class RecordingPlatform : public PlatformServices {
public:
    struct Message {
        std::string title;
        std::string text;
        MessageIcon icon;
    };

    std::uint32_t tickCount = 0;
    int cursorX = 0;
    int cursorY = 0;
    int cursorMoves = 0;      // calls of setCursorPosition
    bool cursorOwned = true;  // what ownsCursor answers: the window's focus
    std::set<int> keysDown;
    std::set<std::string> missingEntryPoints;         // names the GL lookup pretends not to know
    std::map<std::string, void*> standInEntryPoints;  // names the GL lookup answers with these
    std::optional<std::string> extensionString;       // replaces the context's extension string
    std::vector<Message> messages;

    std::uint32_t ticks() override { return tickCount; }
    void cursorPosition(int& x, int& y) override { x = cursorX, y = cursorY; }
    void setCursorPosition(int x, int y) override { cursorX = x, cursorY = y, ++cursorMoves; }
    bool ownsCursor() override { return cursorOwned; }
    bool isKeyDown(int virtualKey) override { return keysDown.count(virtualKey) != 0; }
    void* glProcAddress(const char* name) override {
        if (const auto standIn = standInEntryPoints.find(name); standIn != standInEntryPoints.end()) {
            return standIn->second;
        }
        return missingEntryPoints.count(name) != 0 ? nullptr : sdlPlatformServices().glProcAddress(name);
    }
    const char* glExtensions() override {
        return extensionString ? extensionString->c_str() : sdlPlatformServices().glExtensions();
    }
    void showMessage(const char* title, const std::string& text, MessageIcon icon) override {
        messages.push_back({title, text, icon});
    }
    bool askYesNo(const char* title, const std::string& text) override {
        messages.push_back({title, text, MessageIcon::Question});
        return true;
    }
};
