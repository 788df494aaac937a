// Scene model: installing a prepared model between frames, its GL objects per rendering context, its animation.
#include "model/scene_model.h"

bool SceneModel::install(std::unique_ptr<PreparedModel> model, std::string& cause) {
    ModelBuffers buffers;
    if (contextUp_ && !buffers.create(*model, cause)) return false;
    buffers_.release();
    buffers_ = std::move(buffers);
    model_ = std::move(model);
    animator_.start(*model_);
    buffers_.uploadPose(*model_);
    return true;
}

void SceneModel::clear() {
    buffers_.release();
    model_.reset();
    animator_ = ModelAnimator();
}

bool SceneModel::createBuffers(std::string& cause) {
    contextUp_ = true;
    if (!present()) return true;
    if (buffers_.create(*model_, cause)) return true;
    clear();
    return false;
}

void SceneModel::releaseBuffers() {
    buffers_.release();
    contextUp_ = false;
}

void SceneModel::update(std::uint32_t elapsedMilliseconds) {
    if (present() && animator_.advance(*model_, elapsedMilliseconds)) buffers_.uploadPose(*model_);
}

void SceneModel::draw(ModelDrawMode mode, int programSlot) const {
    if (present()) buffers_.draw(*model_, mode, programSlot);
}

int SceneModel::animationCount() const { return present() ? static_cast<int>(model_->data.animations.size()) : 0; }

std::string SceneModel::animationName(int animation) const {
    if (animation < 0 || animation >= animationCount()) return std::string();
    return model_->data.animations[animation].name;
}

bool SceneModel::selectAnimation(int animation) {
    if (!present() || !animator_.selectAnimation(*model_, animation)) return false;
    buffers_.uploadPose(*model_);
    return true;
}

SceneModel& sceneModel() {
    static SceneModel model;
    return model;
}
