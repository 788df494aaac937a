// Model file: the loader and the preparation, one after the other.
#include "model/model_file.h"

#include "model/model_loader.h"

LoadedModel loadModelFile(const std::string& path, const ModelPlacementOptions& options) {
    LoadedModel loaded;
    loaded.path = path;
    ModelData data;
    if (!loadModel(path, data, loaded.cause)) return loaded;
    auto model = std::make_unique<PreparedModel>();
    std::string cause;
    if (!prepareModel(std::move(data), options, *model, cause)) {
        loaded.cause = path + ": " + cause;
        return loaded;
    }
    loaded.model = std::move(model);
    return loaded;
}
