// Settings window: the panel's widgets, each reading the scene state and writing what the user changes.
#pragma once

#include <GL/gl.h>

#include "panel/pass_time_history.h"

// The panel's window, first placed at the top right of the rendered image
// (which sits at the bottom left of the display): environment, lighting
// mode, exposure in stops, environment turn, supersampling, light markers,
// the model's animations, the pass time plot and the light map picture.
void drawSettingsWindow(const PassTimeHistory& history, GLuint lightMapTexture);
