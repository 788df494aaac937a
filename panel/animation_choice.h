// Animation choice: what the settings panel reads from a model with several animations, and the panel's row for it.
#pragma once

#include <string>

// A model that offers animations to choose from. The built-in character
// offers none: it installs nothing.
class AnimationChoice {
public:
    virtual ~AnimationChoice() = default;
    virtual int animationCount() const = 0;
    virtual std::string animationName(int index) const = 0;
    virtual int playingAnimation() const = 0;
    virtual void selectAnimation(int index) = 0;
};

// The choice the panel shows; nullptr (the start) offers none.
//
// MERGE HOOK: the glTF model view installs an adapter over its animation
// count, names, playing animation and select function here when a model with
// animations is loaded (at start or by a drop), and nullptr when the model
// goes (the built-in character again, or the scene shut down).
void setAnimationChoice(AnimationChoice* choice);
AnimationChoice* animationChoice();

// The panel's row: one radio button per animation, the playing one set; a
// click on another selects it. Draws nothing unless several are offered.
void drawAnimationChoice(AnimationChoice* choice);
