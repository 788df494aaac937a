// Animation clips of the character: the clip table and the choice of the clip that follows.
#pragma once

// A clip plays keyframes from firstFrame up to endFrame (exclusive),
// advancing framesPerStep keyframes per animation step.
struct AnimationClip {
    int firstFrame;
    int endFrame;
    int framesPerStep;
};

// Idle loop (even frames only), transition, action loop, return to idle.
constexpr AnimationClip kAnimationClips[] = {
    {0, 30, 2},
    {30, 50, 1},
    {50, 80, 1},
    {80, 85, 1},
};
constexpr int kAnimationClipCount = sizeof(kAnimationClips) / sizeof(kAnimationClips[0]);

// Keyframes every bone must carry: the clip table reaches frame 84.
constexpr int kAnimationFrameCount = kAnimationClips[kAnimationClipCount - 1].endFrame;

// Milliseconds that must gather (strictly more) before the next step.
constexpr float kAnimationStepMilliseconds = 40.0f;

// The clip that follows the current one, drawn from the process-wide
// generator (std::rand, never seeded, so every run plays the same sequence).
int chooseNextClip(int currentClip);
