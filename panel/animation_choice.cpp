// Animation choice: the scene model's animations as a list of radio buttons in the settings panel.
#include "panel/animation_choice.h"

#include <imgui.h>

#include "model/scene_model.h"

namespace {

// The scene's model seen through the panel's interface.
class SceneModelAnimations : public AnimationChoice {
public:
    int animationCount() const override { return sceneModel().animationCount(); }
    std::string animationName(int index) const override { return sceneModel().animationName(index); }
    int playingAnimation() const override { return sceneModel().playingAnimation(); }
    void selectAnimation(int index) override { sceneModel().selectAnimation(index); }
};

}  // namespace

AnimationChoice* animationChoice() {
    static SceneModelAnimations sceneModelAnimations;
    return sceneModel().present() ? &sceneModelAnimations : nullptr;
}

void drawAnimationChoice(AnimationChoice* choice) {
    // One animation leaves nothing to choose.
    if (choice == nullptr || choice->animationCount() < 2) {
        return;
    }
    ImGui::TextUnformatted("Animation");
    const int playing = choice->playingAnimation();
    for (int index = 0; index < choice->animationCount(); ++index) {
        ImGui::PushID(index);  // names may repeat or be empty
        const std::string name = choice->animationName(index);
        if (ImGui::RadioButton(name.empty() ? "(unnamed)" : name.c_str(), index == playing) && index != playing) {
            choice->selectAnimation(index);
        }
        ImGui::PopID();
    }
}
