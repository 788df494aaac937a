// The figure: the built-in character, or the user's model when one is in use; what the passes draw and the update
// step animates.
#pragma once

#include <cstdint>

// The passes that draw the figure.
enum class FigurePass { Shadow, Positions, Normals, Colours, Silhouette };

// True while a user's model stands in for the character.
bool userModelShown();

// Draws the figure for the pass in the pass's current state: the character
// with the colour flags the pass gives it, or the model in the pass's mode.
void drawFigure(FigurePass pass);

// Advances the figure's animation by the elapsed milliseconds.
void updateFigure(std::uint32_t elapsedMilliseconds);
