// Model folder: the parser's file access for one load; it opens nothing outside the model's own folder.
#pragma once

#include <map>
#include <string>

#include "model/model_source.h"

class ModelFolder {
public:
    // folder: where the model's external files (buffers, images) lie; empty
    // when the model may have none. Each file read is charged to budget.
    ModelFolder(const std::string& folder, LoadBudget& budget);

    // File-system callbacks for tinygltf that only ever open regular files
    // inside the folder, following no link out of it, and never write.
    tinygltf::FsCallbacks callbacks();
    // The folder as tinygltf should join URIs to it.
    const std::string& base() const { return base_; }

    // Why the file a URI names could not be read, empty when nothing failed.
    std::string failureFor(const std::string& uri) const;
    // The first file that could not be read, as "\"name\" reason"; empty when none.
    std::string firstFailure() const;

private:
    static bool fileExists(const std::string& path, void* folder);
    static std::string expandFilePath(const std::string& path, void* folder);
    static bool readWholeFile(std::vector<unsigned char>* out, std::string* error, const std::string& path,
                              void* folder);
    static bool writeWholeFile(std::string* error, const std::string& path, const std::vector<unsigned char>& bytes,
                               void* folder);

    // The real path of the file that path (the base joined with a decoded
    // URI) names inside the folder; empty, with the reason kept, when there is none.
    std::string resolve(const std::string& path);
    bool read(const std::string& path, std::vector<unsigned char>& bytes);
    void fail(const std::string& name, const std::string& reason);

    std::string base_;  // the folder's real path with a trailing '/', empty without a folder
    LoadBudget& budget_;
    std::map<std::string, std::string> failures_;  // by decoded URI
    std::string firstFailure_;
};
