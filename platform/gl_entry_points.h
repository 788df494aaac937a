// GL extension discovery: the extension-string search and the typed entry-point lookup every GL user shares.
#pragma once

#include "platform/platform_services.h"

// True when the context's space-separated extension string lists the name as a whole.
bool extensionListed(const char* name);

// Looks an entry point up by name through the platform layer into a typed
// function pointer; true when the lookup found something.
template <typename Function>
bool lookUpEntryPoint(Function& pointer, const char* name) {
    pointer = reinterpret_cast<Function>(platform().glProcAddress(name));
    return pointer != nullptr;
}
