// Overlay status: one transient line ("Loading ...", "Saved ...", why a dropped map failed) below the overlay's help.
#pragma once

#include <cstdint>
#include <string>

// How long a status line stays when it is shown for a while.
constexpr std::uint32_t kStatusMilliseconds = 4000;

// Shows the text from now on, for the given milliseconds of the platform
// clock; 0 keeps it until it is replaced or cleared.
void showOverlayStatus(const std::string& text, std::uint32_t milliseconds);
void clearOverlayStatus();
// The text to show now; empty when none is shown or its time is over.
std::string overlayStatus();
