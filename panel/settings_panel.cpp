// Settings panel: its ImGui context per window, show and hide, the per-frame widgets and the drawing over the frame.
#include "panel/settings_panel.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include "camera/camera.h"
#include "environment/environment_lights.h"
#include "frame/pass_timer.h"
#include "frame/scene_resources.h"
#include "panel/light_map_texture.h"
#include "panel/pass_time_history.h"
#include "panel/settings_window.h"
#include "platform/gl_entry_points.h"
#include "platform/native_window.h"
#include "platform/panel_input.h"
#include "platform/platform_services.h"

namespace {

struct Panel {
    bool shown = false;
    AppWindow* window = nullptr;
    ImGuiContext* context = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;
    // The pass timer's count of timed frames when the panel last took their times.
    unsigned timedFrames = 0;
    // Widgets were built this frame and wait to be drawn.
    bool frameBuilt = false;
    // The window has been laid out once in this context.
    bool measured = false;
    PanelFocus focus;
    PassTimeHistory history;
    LightMapTexture lightMap;
};

Panel panel;

// Hidden, the panel takes no events and the cursor is as the window mode has
// it: hidden full screen, where the camera owns the mouse.
void applyShown() {
    if (panel.context == nullptr) {
        return;
    }
    setPanelInputListening(panel.shown);
    if (!panel.shown) {
        panel.focus = PanelFocus();
        showSystemCursor(panel.window == nullptr || panel.window->isFullScreen != 1);
    }
}

}  // namespace

void showSettingsPanel(bool shown) {
    if (panel.shown == shown) {
        return;
    }
    panel.shown = shown;
    applyShown();
}

bool settingsPanelShown() { return panel.shown; }

void openSettingsPanel(AppWindow& window) {
    panel.window = &window;
    panel.context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing is written beside the program's own files
    io.LogFilename = nullptr;
    startPanelInput(window.native);
    ImGui_ImplOpenGL2_Init();
    lookUpEntryPoint(panel.bindBuffer, "glBindBuffer");
    panel.history.clear();
    panel.frameBuilt = false;
    panel.measured = false;
    applyShown();
}

void closeSettingsPanel() {
    if (panel.context == nullptr) {
        return;
    }
    panel.lightMap.release();
    ImGui_ImplOpenGL2_Shutdown();
    stopPanelInput();
    ImGui::DestroyContext(panel.context);
    panel.context = nullptr;
    panel.window = nullptr;
    panel.focus = PanelFocus();
    panel.frameBuilt = false;
}

void updateSettingsPanel() {
    const bool shown = panel.shown && panel.context != nullptr;
    setPassTimesWanted(shown);
    if (!shown) {
        camera().setInput(CameraInput());
        return;
    }
    // The times of the frame before, when it was timed.
    if (timedFrameCount() != panel.timedFrames) {
        panel.timedFrames = timedFrameCount();
        float times[kFramePassCount];
        for (int pass = 0; pass < kFramePassCount; ++pass) {
            times[pass] = static_cast<float>(latestPassTime(static_cast<FramePass>(pass)));
        }
        panel.history.add(platform().ticks(), times);
    }

    beginPanelInputFrame();
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    const ImGuiIO& io = ImGui::GetIO();
    panel.focus.shown = true;
    panel.focus.wantsMouse = io.WantCaptureMouse;
    panel.focus.wantsKeyboard = io.WantCaptureKeyboard;
    panel.focus.mouseButtonHeld = io.MouseDown[ImGuiMouseButton_Left] || io.MouseDown[ImGuiMouseButton_Right];
    camera().setInput(cameraInputFor(panel.focus));

    const int environment = environmentLights().currentEnvironment;
    panel.lightMap.update(environment, sceneResources().environmentTextures[environment]);
    if (!panel.measured) {
        // A new ImGui window only measures its rows in its first frame and
        // shows from the second: that frame is built once unseen, so that the
        // panel is there in the first frame it is asked for (--frames 1 too).
        drawSettingsWindow(panel.history, panel.lightMap.texture(environment));
        ImGui::EndFrame();
        ImGui::NewFrame();
        panel.measured = true;
    }
    drawSettingsWindow(panel.history, panel.lightMap.texture(environment));
    ImGui::Render();
    panel.frameBuilt = true;
}

void drawSettingsPanel() {
    if (!panel.frameBuilt) {
        return;
    }
    panel.frameBuilt = false;
    // The backend draws from client memory: no buffer object may be bound,
    // and the colour array leaves the current colour undefined.
    GLint arrayBuffer = 0;
    GLint elementBuffer = 0;
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    if (panel.bindBuffer != nullptr) {
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
        panel.bindBuffer(GL_ARRAY_BUFFER, 0);
        panel.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    if (panel.bindBuffer != nullptr) {
        panel.bindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
        panel.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(elementBuffer));
    }
    glColor4fv(colour);
}

PanelFocus settingsPanelFocus() { return panel.focus; }
