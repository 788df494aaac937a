// Native window, GL context and message queue on SDL2, with Windows message meanings.
#pragma once

#include <string>

struct NativeWindow;

// Starts SDL's video subsystem, which the program's start-up calls where a
// Windows program registers its window class ("RegisterClassEx Failed!" is
// its failure message): false when no video driver can be started.
bool startVideo();
void stopVideo();

// True when the display offers a full-screen mode of at least this size.
bool changeScreenResolution(int width, int height, int bitsPerPixel);

enum class WindowFrame {
    FullScreen,   // borderless, covering the display
    ClientSized,  // bordered, client area of the given size
    OuterSized,   // bordered, outer frame of the given size (failed mode switch)
    Hidden,       // never shown: a GL context for tools and tests
};

// Creates the window with a double-buffered compatibility GL context made
// current; nullptr after undoing any partial work on failure.
NativeWindow* createNativeWindow(const char* title, int width, int height, WindowFrame frame);
void destroyNativeWindow(NativeWindow* window);
void swapNativeWindow(NativeWindow* window);
void nativeDrawableSize(NativeWindow* window, int& width, int& height);
void showSystemCursor(bool shown);

enum class MessageType {
    Quit,              // the quit message posted to this window
    Close,             // the user or the system asks the window to close
    Minimized,         // the window was minimised
    Restored,          // restored, maximised or resized; width and height hold the new client size
    KeyDown,           // key holds a virtual-key code
    KeyUp,             // key holds a virtual-key code
    SystemKey,         // a key with Alt held, Alt itself or F10: never recorded
    ToggleFullScreen,  // SIGUSR1 from any process
    DropFile,          // a file dropped on the window; path holds its name
    Other,             // anything the window procedure leaves to default processing
};

struct WindowMessage {
    MessageType type = MessageType::Other;
    int key = 0;
    int width = 0;
    int height = 0;
    std::string path;
};

// Takes one waiting message for the window without blocking; false when none is waiting.
bool peekMessage(NativeWindow* window, WindowMessage& message);
// Blocks until a message may be waiting (used while minimised).
void waitMessage();
// Posts the quit message to the window; the loop sees it through peekMessage.
void postQuitMessage(NativeWindow* window);
