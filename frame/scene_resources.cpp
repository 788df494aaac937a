// The program-wide SceneResources record.
#include "frame/scene_resources.h"

SceneResources& sceneResources() {
    static SceneResources resources;
    return resources;
}
