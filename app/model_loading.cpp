// Model loading: options of the run, the install with its messages, the start-up model and the background load of a
// drop.
#include "app/model_loading.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "app/background_loads.h"
#include "app/file_drop.h"
#include "environment/environment_setup.h"
#include "environment/environment_sources.h"
#include "frame/overlay_status.h"
#include "gpu/logger.h"
#include "model/scene_model.h"
#include "platform/platform_services.h"

namespace {

ModelRunOptions& runOptions() {
    static ModelRunOptions options;
    return options;
}

// What stays in use when a model is refused.
std::string whatStays() {
    return sceneModel().present() ? "The model " + sceneModel().model().data.sourceName + " stays."
                                  : "The built-in character stays.";
}

// The cause without the file name it begins with.
std::string reasonOf(const LoadedModel& loaded) {
    const std::string prefix = loaded.path + ": ";
    return loaded.cause.compare(0, prefix.size(), prefix) == 0 ? loaded.cause.substr(prefix.size()) : loaded.cause;
}

void refuse(const LoadedModel& loaded, bool dropped) {
    const std::string text = "Could not load the model " + loaded.cause + ". " + whatStays();
    logger().write(text);
    if (dropped) {
        reportDropProblem(text, "Could not load " + fileBaseName(loaded.path) + ": " + causeHeadline(reasonOf(loaded)));
    } else {
        std::fprintf(stderr, "lumivor: %s\n", text.c_str());
        std::fflush(stderr);
    }
}

void describe(const PreparedModel& model) {
    const std::string& name = model.data.sourceName;
    if (runOptions().verbose) {
        std::fprintf(stderr, "lumivor: model %s: %zu triangles drawn, %zu in the shadow maps\n", name.c_str(),
                     model.triangleCount(), model.shadowTriangleCount());
    }
    if (model.partlyUnshadowed) {
        std::fprintf(stderr,
                     "lumivor: model %s reaches farther than %g units from the centre: some lights' shadow maps miss "
                     "part of it, which then casts and receives no shadow from them\n",
                     name.c_str(), kShadowMapReach);
    }
    std::fflush(stderr);
}

}  // namespace

void setModelRunOptions(const ModelRunOptions& options) { runOptions() = options; }

const ModelRunOptions& modelRunOptions() { return runOptions(); }

bool useLoadedModel(LoadedModel loaded, bool dropped) {
    if (loaded.model != nullptr) {
        if (sceneModel().install(std::move(loaded.model), loaded.cause)) {
            describe(sceneModel().model());
            return true;
        }
        loaded.cause = loaded.path + ": " + loaded.cause;
    }
    refuse(loaded, dropped);
    return false;
}

bool loadStartModel(const std::string& path) {
    return useLoadedModel(loadModelFile(path, runOptions().placement), false);
}

void dropModelFile(const std::string& path) {
    const std::uint32_t droppedAt = platform().ticks();
    const ModelPlacementOptions placement = runOptions().placement;
    // Textures are decoded by FreeImage, which must outlive a window re-creation during the load.
    const std::shared_ptr<const void> library = holdImageLibrary();
    sayOnStandardError("loading the model " + path);
    startBackgroundLoad(
        LoadKind::Model, fileBaseName(path),
        [library, path, placement, droppedAt](const CancelFlag& cancelled) -> BackgroundJob::MainThreadStep {
            // std::function needs a copyable step: the model travels in a shared record.
            auto loaded = std::make_shared<LoadedModel>(loadModelFile(path, placement));
            if (cancelled) {
                return nullptr;
            }
            return [loaded, path, droppedAt] {
                if (useLoadedModel(std::move(*loaded), true)) {
                    clearOverlayStatus();
                    sayOnStandardError("the model is now " + path + " (loaded in " + secondsSince(droppedAt) + " s)");
                }
            };
        });
}
