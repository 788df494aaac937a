// Animation choice: the installed model's animations as a list of radio buttons in the settings panel.
#include "panel/animation_choice.h"

#include <imgui.h>

namespace {

AnimationChoice* installed = nullptr;

}  // namespace

void setAnimationChoice(AnimationChoice* choice) { installed = choice; }

AnimationChoice* animationChoice() { return installed; }

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
