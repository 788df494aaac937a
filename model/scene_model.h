// Scene model: the user's model in use, if any (its prepared record, buffers and animation), installed between
// frames and drawn by the passes in place of the built-in character.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/model_animator.h"
#include "model/model_buffers.h"
#include "model/prepared_model.h"

class SceneModel {
public:
    bool present() const { return model_ != nullptr; }
    // The model in use; only while present().
    const PreparedModel& model() const { return *model_; }

    // Makes the record the model in use, on the main thread between frames,
    // starting its first animation. While a rendering context is up its GL
    // objects are made at once: when that fails the record is refused, with
    // the cause, and the model in use stays.
    bool install(std::unique_ptr<PreparedModel> model, std::string& cause);
    // Back to no model (the built-in character).
    void clear();

    // The rendering context's life: scene initialisation creates the GL
    // objects of the model in use (false, with the cause, when it cannot, and
    // the model is then dropped), shutdown releases them.
    bool createBuffers(std::string& cause);
    void releaseBuffers();

    // Advances the animation clock; poses and uploads when the pose changed.
    void update(std::uint32_t elapsedMilliseconds);
    void draw(ModelDrawMode mode, int programSlot) const;

    // For the settings panel: the animations by number, the one playing (-1
    // for none) and a choice of another, which plays from its start.
    int animationCount() const;
    std::string animationName(int animation) const;
    int playingAnimation() const { return present() ? animator_.playingAnimation() : -1; }
    bool selectAnimation(int animation);

private:
    std::unique_ptr<PreparedModel> model_;
    ModelAnimator animator_;
    ModelBuffers buffers_;
    bool contextUp_ = false;
};

// The program's one scene model; it lives for the whole run, across window re-creations.
SceneModel& sceneModel();
