// Platform services: clock, cursor, key state, GL lookup and message boxes behind one replaceable interface.
#pragma once

#include <cstdint>
#include <string>

enum class MessageIcon { Warning, Error, Question, Information };

// Everything above the platform layer reaches the operating system through
// this interface, so tests can install a fake clock, cursor, key state,
// GL lookup or message recorder.
class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // Milliseconds since start-up, wrapping at 2^32 like the system tick count.
    virtual std::uint32_t ticks() = 0;

    // Cursor position in global screen coordinates.
    virtual void cursorPosition(int& x, int& y) = 0;
    virtual void setCursorPosition(int x, int y) = 0;
    // True while mouse look may read and move the cursor: full screen, or a
    // window that has the input focus, so that other windows stay usable.
    virtual bool ownsCursor() = 0;

    // True while the key with this Windows virtual-key code is held down.
    virtual bool isKeyDown(int virtualKey) = 0;

    // GL entry-point lookup by name and the context's extension string.
    virtual void* glProcAddress(const char* name) = 0;
    virtual const char* glExtensions() = 0;

    // A message box with an OK button; also echoed to standard error.
    virtual void showMessage(const char* title, const std::string& text, MessageIcon icon) = 0;
    // A Yes/No question; true unless the user answered No.
    virtual bool askYesNo(const char* title, const std::string& text) = 0;
};

// The services in use: the SDL implementation unless a test installed another.
PlatformServices& platform();

// The SDL implementation itself, for fakes that pass some calls through.
PlatformServices& sdlPlatformServices();

// Installs replacement services (nullptr restores the SDL implementation) and
// returns the previous ones.
PlatformServices* setPlatformServices(PlatformServices* services);

// Restores the previous services when a test's fake goes out of scope.
class ScopedPlatformServices {
public:
    explicit ScopedPlatformServices(PlatformServices& services) : previous_(setPlatformServices(&services)) {}
    ~ScopedPlatformServices() { setPlatformServices(previous_); }
    ScopedPlatformServices(const ScopedPlatformServices&) = delete;
    ScopedPlatformServices& operator=(const ScopedPlatformServices&) = delete;

private:
    PlatformServices* previous_;
};
