// The program-wide SceneResources record.
#include "frame/scene_resources.h"

SceneResources& sceneResources() {
    static SceneResources resources;
    return resources;
}

void selectTextureUnit(int unit) {
    SceneResources& resources = sceneResources();
    if (resources.activeTexture != nullptr) {
        resources.activeTexture(GL_TEXTURE0 + unit);
    }
}
