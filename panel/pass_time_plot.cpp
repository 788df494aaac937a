// Pass time plot: the history drawn with Dear ImGui's draw list, one colour per pass.
#include "panel/pass_time_plot.h"

#include <imgui.h>

#include <cstdio>

namespace {

// Short names for the legend, in pass order.
const char* const kLegendNames[kFramePassCount] = {"shadows", "geometry", "lighting", "bloom", "composite"};
// Per pass: blue, green, orange, violet, grey.
const ImU32 kPassColours[kFramePassCount] = {IM_COL32(70, 130, 220, 255), IM_COL32(90, 190, 90, 255),
                                             IM_COL32(235, 150, 50, 255), IM_COL32(170, 100, 210, 255),
                                             IM_COL32(160, 160, 160, 255)};
const ImU32 kBackground = IM_COL32(20, 20, 24, 255);
const ImU32 kScaleLine = IM_COL32(110, 110, 110, 255);
constexpr float kSwatchSize = 9.0f;
constexpr int kLegendColumns = 2;

}  // namespace

void drawPassTimePlot(const PassTimeHistory& history, float width, float height) {
    ImDrawList* list = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImGui::Dummy(ImVec2(width, height));
    const float bottom = origin.y + height;
    list->AddRectFilled(origin, ImVec2(origin.x + width, bottom), kBackground);
    const float ceiling = plotCeiling(history.largestTotal());
    list->AddLine(origin, ImVec2(origin.x + width, origin.y), kScaleLine);

    const float slotWidth = width / static_cast<float>(kHistorySlots);
    if (history.size() > 0) {
        // The latest slot sits at the right edge; each slot's bar reaches the next one held.
        const std::uint32_t firstShown = history.latest().index - (kHistorySlots - 1);
        for (int i = 0; i < history.size(); ++i) {
            const PassTimeSlot& slot = history.slot(i);
            const float left = origin.x + static_cast<float>(slot.index - firstShown) * slotWidth;
            const float right = i + 1 < history.size()
                                    ? origin.x + static_cast<float>(history.slot(i + 1).index - firstShown) * slotWidth
                                    : left + slotWidth;
            float top = bottom;
            for (int pass = 0; pass < kFramePassCount; ++pass) {
                const float barHeight = slot.mean(pass) / ceiling * height;
                list->AddRectFilled(ImVec2(left, top - barHeight), ImVec2(right, top), kPassColours[pass]);
                top -= barHeight;
            }
        }
    }
    char scale[32];
    std::snprintf(scale, sizeof scale, "%g ms", ceiling);
    list->AddText(ImVec2(origin.x + 2.0f, origin.y + 1.0f), ImGui::GetColorU32(ImGuiCol_Text), scale);

    // Legend: a swatch, the pass and its latest time, two to a row.
    const PassTimeSlot none;
    const PassTimeSlot& latest = history.size() > 0 ? history.latest() : none;
    for (int pass = 0; pass < kFramePassCount; ++pass) {
        if (pass % kLegendColumns != 0) {
            ImGui::SameLine(width / kLegendColumns);
        }
        const ImVec2 at = ImGui::GetCursorScreenPos();
        const float inset = (ImGui::GetTextLineHeight() - kSwatchSize) * 0.5f;
        list->AddRectFilled(ImVec2(at.x, at.y + inset), ImVec2(at.x + kSwatchSize, at.y + inset + kSwatchSize),
                            kPassColours[pass]);
        ImGui::Dummy(ImVec2(kSwatchSize, kSwatchSize));
        ImGui::SameLine();
        ImGui::Text("%s %.1f ms", kLegendNames[pass], latest.mean(pass));
    }
    ImGui::Text("all passes %.1f ms", latest.meanTotal());
}
