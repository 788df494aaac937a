// Settings window: one Dear ImGui window whose rows go through the same scene changes as the keys.
#include "panel/settings_window.h"

#include <imgui.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "environment/environment_lights.h"
#include "environment/environment_sources.h"
#include "environment/environment_turn.h"
#include "frame/scene_choices.h"
#include "panel/animation_choice.h"
#include "panel/exposure_stops.h"
#include "panel/light_map_texture.h"
#include "panel/pass_time_plot.h"
#include "state/program_slots.h"
#include "state/scene_state.h"

namespace {

constexpr float kPanelWidth = 330.0f;
constexpr float kPanelMargin = 10.0f;
constexpr float kWidgetShare = 0.5f;  // of the panel's width; the labels take the rest
constexpr float kMinimumStops = -6.0f;
constexpr float kMaximumStops = 6.0f;
constexpr float kFullTurnDegrees = 360.0f;
constexpr float kPlotHeight = 64.0f;
constexpr int kSupersampled = 2;
constexpr int kNotSupersampled = 1;
constexpr std::size_t kLabelBytes = 256;

std::string environmentLabel(int environment) {
    char label[kLabelBytes];
    std::snprintf(label, sizeof label, "%d  %s", environment + 1, fileBaseName(environmentFile(environment)).c_str());
    return label;
}

void environmentRow() {
    const int current = environmentLights().currentEnvironment;
    if (ImGui::BeginCombo("Environment (1/2/3)", environmentLabel(current).c_str())) {
        for (int environment = 0; environment < kEnvironmentCount; ++environment) {
            ImGui::PushID(environment);  // two environments may read files of one name
            if (ImGui::Selectable(environmentLabel(environment).c_str(), environment == current) &&
                environment != current) {
                chooseEnvironment(environment);
            }
            ImGui::PopID();
        }
        ImGui::EndCombo();
    }
}

void lightingRow(SceneState& state) {
    if (ImGui::RadioButton("IBL", state.lightingProgram == kImageBasedLightingProgram)) {
        state.lightingProgram = kImageBasedLightingProgram;
    }
    ImGui::SameLine();
    if (ImGui::RadioButton("Ambient occlusion (F1/F2)", state.lightingProgram == kAmbientOcclusionProgram)) {
        state.lightingProgram = kAmbientOcclusionProgram;
    }
}

void exposureRow(SceneState& state) {
    float stops = exposureToStops(state.exposure);
    if (ImGui::SliderFloat("Exposure (Q/E)", &stops, kMinimumStops, kMaximumStops, "%+.2f stops")) {
        state.exposure = stopsToExposure(stops);
    }
}

void turnRow(SceneState& state) {
    float& degrees = state.environmentRotation[environmentLights().currentEnvironment];
    float shown = degrees;
    if (ImGui::SliderFloat("Turn (Z/X)", &shown, 0.0f, kFullTurnDegrees, "%.0f degrees")) {
        degrees = wrapDegrees(shown);
    }
}

void switchesRow(SceneState& state) {
    bool supersampled = state.supersampling > kNotSupersampled;
    if (ImGui::Checkbox("Supersampling (4/5)", &supersampled)) {
        // The same rebuild as keys 4 and 5.
        chooseSupersampling(supersampled ? kSupersampled : kNotSupersampled);
    }
    ImGui::SameLine();
    ImGui::Checkbox("Light markers (V)", &state.showLightMarkers);
}

void lightMapRow(GLuint texture) {
    const int current = environmentLights().currentEnvironment;
    ImGui::Text("The 64 lights of %s", fileBaseName(environmentFile(current)).c_str());
    const float width = ImGui::GetContentRegionAvail().x;
    const float height = width * kLightMapPictureHeight / kLightMapPictureWidth;
    // The picture's rows run bottom first, as GL textures do: flip it upright.
    ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<std::uintptr_t>(texture)), ImVec2(width, height),
                 ImVec2(0.0f, 1.0f), ImVec2(1.0f, 0.0f));
}

}  // namespace

void drawSettingsWindow(const PassTimeHistory& history, GLuint lightMapTexture) {
    SceneState& state = sceneState();
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    // The passes draw the image at the bottom left of the drawable, whatever its size.
    const float imageTop = std::max(0.0f, display.y - static_cast<float>(state.renderHeight));
    const float imageRight = std::min(display.x, static_cast<float>(state.renderWidth));
    ImGui::SetNextWindowPos(ImVec2(imageRight - kPanelMargin, imageTop + kPanelMargin), ImGuiCond_FirstUseEver,
                            ImVec2(1.0f, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(kPanelWidth, 0.0f), ImGuiCond_Always);  // 0: the height fits the rows
    if (!ImGui::Begin("Settings (Tab)", nullptr, ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::End();  // collapsed
        return;
    }
    ImGui::PushItemWidth(kPanelWidth * kWidgetShare);
    environmentRow();
    lightingRow(state);
    exposureRow(state);
    turnRow(state);
    switchesRow(state);
    drawAnimationChoice(animationChoice());
    ImGui::PopItemWidth();

    if (ImGui::CollapsingHeader("Frame times (GPU)", ImGuiTreeNodeFlags_DefaultOpen)) {
        drawPassTimePlot(history, ImGui::GetContentRegionAvail().x, kPlotHeight);
    }
    if (ImGui::CollapsingHeader("Lights", ImGuiTreeNodeFlags_DefaultOpen)) {
        lightMapRow(lightMapTexture);
    }
    ImGui::End();
}
