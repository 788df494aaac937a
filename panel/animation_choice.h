// Animation choice: what the settings panel reads from a model with several animations, and the panel's row for it.
#pragma once

#include <string>

// A model that offers animations to choose from.
class AnimationChoice {
public:
    virtual ~AnimationChoice() = default;
    virtual int animationCount() const = 0;
    virtual std::string animationName(int index) const = 0;
    virtual int playingAnimation() const = 0;
    virtual void selectAnimation(int index) = 0;
};

// The choice the panel shows: the user's model in the scene, read as it
// stands in each frame; nullptr while the built-in character stands there,
// which offers none.
AnimationChoice* animationChoice();

// The panel's row: one radio button per animation, the playing one set; a
// click on another selects it. Draws nothing unless several are offered.
void drawAnimationChoice(AnimationChoice* choice);
