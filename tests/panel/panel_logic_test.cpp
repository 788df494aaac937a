// The settings panel's own logic: input routing, the pass time history and the animation choice's row.
#include <gtest/gtest.h>
#include <imgui.h>

#include <memory>
#include <string>
#include <vector>

#include "model/scene_model.h"
#include "panel/animation_choice.h"
#include "panel/input_routing.h"
#include "panel/pass_time_history.h"
#include "support/model_builder.h"

TEST(InputRouting, HiddenThePanelTakesNothingShownTheCursorIsFreeAndTurnsOnlyByADragOutsideIt) {
    const CameraInput hidden = cameraInputFor(PanelFocus{false, true, true, true});
    EXPECT_EQ(hidden.mouseLook, MouseLook::Recentre) << "the stale flags of a hidden panel count for nothing";
    EXPECT_TRUE(hidden.movementKeys);

    const CameraInput resting = cameraInputFor(PanelFocus{true, false, false, false});
    EXPECT_EQ(resting.mouseLook, MouseLook::FreeCursor);
    EXPECT_FALSE(resting.turning) << "a cursor moving without a button turns nothing";
    EXPECT_TRUE(resting.movementKeys);
    EXPECT_TRUE(cameraInputFor(PanelFocus{true, false, false, true}).turning) << "a drag outside the panel";
    EXPECT_FALSE(cameraInputFor(PanelFocus{true, true, false, true}).turning) << "a drag on the panel";
    EXPECT_FALSE(cameraInputFor(PanelFocus{true, false, true, false}).movementKeys) << "typing into a field";
}

TEST(InputRouting, AKeyPressGoesToAFieldBeingEditedButEveryReleaseReachesTheScene) {
    const PanelFocus editing{true, false, true, false};
    EXPECT_FALSE(keyReachesScene(MessageType::KeyDown, editing));
    EXPECT_TRUE(keyReachesScene(MessageType::KeyUp, editing)) << "a key held before the field took it is let go";
    EXPECT_TRUE(keyReachesScene(MessageType::KeyDown, PanelFocus{true, true, false, false})) << "pointer over it";
    EXPECT_TRUE(keyReachesScene(MessageType::KeyDown, PanelFocus{false, false, true, false})) << "hidden";
}

namespace {

void addFrame(PassTimeHistory& history, std::uint32_t now, float lighting) {
    float times[kFramePassCount] = {1.0f, 1.0f, lighting, 1.0f, 1.0f};
    history.add(now, times);
}

}  // namespace

TEST(PassTimeHistory, FramesOfOneSlotAreAveragedAndSlotsOlderThanTheWindowGo) {
    PassTimeHistory history;
    addFrame(history, 1000, 10.0f);
    addFrame(history, 1049, 30.0f);  // the same 50 ms slot
    addFrame(history, 1050, 4.0f);
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(history.slot(0).frames, 2);
    EXPECT_FLOAT_EQ(history.slot(0).mean(static_cast<int>(FramePass::Lighting)), 20.0f);
    EXPECT_FLOAT_EQ(history.slot(0).meanTotal(), 24.0f);
    EXPECT_FLOAT_EQ(history.largestTotal(), 24.0f);
    addFrame(history, 1000 + kHistorySlots * kSlotMilliseconds, 6.0f);
    ASSERT_EQ(history.size(), 2) << "the first slot fell out of the last five seconds";
    EXPECT_EQ(history.slot(0).index, 1050u / kSlotMilliseconds);
    EXPECT_FLOAT_EQ(history.latest().mean(static_cast<int>(FramePass::Lighting)), 6.0f);
    addFrame(history, 500, 1.0f);  // the clock went back
    EXPECT_EQ(history.size(), 1);
}

TEST(PassTimeHistory, AFullRingKeepsTheLatestSlotsOldestFirst) {
    PassTimeHistory history;
    const int frames = 3 * kHistorySlots + 7;
    for (int frame = 0; frame < frames; ++frame) addFrame(history, frame * kSlotMilliseconds, float(frame));
    ASSERT_EQ(history.size(), kHistorySlots);
    for (int i = 0; i < kHistorySlots; ++i) {
        EXPECT_FLOAT_EQ(history.slot(i).mean(static_cast<int>(FramePass::Lighting)), float(frames - kHistorySlots + i))
            << i;
    }
}

TEST(PassTimeHistory, ThePlotsTopIsTheNextOneTwoOrFiveStepAndOneMillisecondAtLeast) {
    const std::pair<float, float> cases[] = {{0.0f, 1.0f}, {0.3f, 1.0f},  {1.0f, 1.0f},       {1.01f, 2.0f},
                                             {4.9f, 5.0f}, {7.0f, 10.0f}, {1719.0f, 2000.0f}, {25000.0f, 50000.0f}};
    for (const auto& [largest, top] : cases) EXPECT_FLOAT_EQ(plotCeiling(largest), top) << largest;
}

namespace {

class FakeAnimations : public AnimationChoice {
public:
    std::vector<std::string> names{"walk", "run", "wave"};
    int playing = 0;
    std::vector<int> selected;
    int animationCount() const override { return int(names.size()); }
    std::string animationName(int index) const override { return names[index]; }
    int playingAnimation() const override { return playing; }
    void selectAnimation(int index) override { selected.push_back(index); }
};

// A Dear ImGui context without a renderer: frames are built, never drawn.
class HeadlessImGui : public ::testing::Test {
protected:
    void SetUp() override {
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.DisplaySize = ImVec2(400, 300);
        io.DeltaTime = 1.0f / 60.0f;
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsAlpha8(&pixels, &width, &height);
    }
    void TearDown() override { ImGui::DestroyContext(); }
    // One frame of a window holding only the animation row; how far the row moved the cursor down.
    float frame(AnimationChoice* choice, ImVec2 mouse = ImVec2(-1, -1), bool down = false) {
        ImGui::GetIO().MousePos = mouse;
        ImGui::GetIO().MouseDown[0] = down;
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::Begin("row");
        const float before = ImGui::GetCursorPosY();
        drawAnimationChoice(choice);
        const float height = ImGui::GetCursorPosY() - before;
        lastItem = ImVec2((ImGui::GetItemRectMin().x + ImGui::GetItemRectMax().x) / 2,
                          (ImGui::GetItemRectMin().y + ImGui::GetItemRectMax().y) / 2);
        ImGui::End();
        ImGui::Render();
        return height;
    }
    ImVec2 lastItem;
};

}  // namespace

TEST_F(HeadlessImGui, WithoutSeveralAnimationsToChooseFromTheRowIsLeftOut) {
    EXPECT_EQ(animationChoice(), nullptr) << "the built-in character offers none";
    EXPECT_EQ(frame(animationChoice()), 0.0f);
    FakeAnimations one;
    one.names = {"idle"};
    EXPECT_EQ(frame(&one), 0.0f);
}

TEST_F(HeadlessImGui, AClickOnAnotherAnimationSelectsItAndOnThePlayingOneNothing) {
    FakeAnimations model;
    frame(&model);  // a new window is measured in its first frame and shown from the second
    EXPECT_GT(frame(&model), 0.0f);
    const ImVec2 last = lastItem;  // the last radio button: "wave"
    frame(&model, last, true);
    frame(&model, last, false);
    EXPECT_EQ(model.selected, std::vector<int>{2});
    model.playing = 2;
    frame(&model, last, true);
    frame(&model, last, false);
    EXPECT_EQ(model.selected.size(), 1u) << "the playing animation is not selected again";
}

TEST(AnimationChoiceTest, TheSceneModelsAnimationsAreOfferedByNameAndAChoicePlaysIt) {
    EXPECT_EQ(animationChoice(), nullptr) << "the built-in character offers none";
    ModelData data = singleMeshModel({boxPrimitive({0, 0, 0}, {1, 1, 1})});
    for (const char* name : {"walk", "wave"}) {
        ModelAnimation animation;
        animation.name = name;
        animation.duration = 1.0f;
        animation.channels.push_back(
            makeChannel(0, AnimationPath::Scale, Interpolation::Linear, {0.0f, 1.0f}, {1, 1, 1, 1, 2, 1}));
        data.animations.push_back(animation);
    }
    auto model = std::make_unique<PreparedModel>();
    std::string cause;
    ASSERT_TRUE(prepareModel(std::move(data), {}, *model, cause)) << cause;
    ASSERT_TRUE(sceneModel().install(std::move(model), cause)) << cause;

    AnimationChoice* choice = animationChoice();
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->animationCount(), 2);
    EXPECT_EQ(choice->animationName(1), "wave");
    EXPECT_EQ(choice->playingAnimation(), 0) << "the first animation plays from the start";
    choice->selectAnimation(1);
    EXPECT_EQ(sceneModel().playingAnimation(), 1);
    sceneModel().clear();
    EXPECT_EQ(animationChoice(), nullptr) << "the built-in character again";
}
